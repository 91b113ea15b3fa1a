#pragma once

#include <windows.h>

#include "platform/key_state_table.h"

// The low-level hook procedures. For an action to process (nCode 0) each hands the Windows message,
// for keys the virtual-key code, for the wheel and side buttons the delta or button number, to the
// registered listener under g_listenerMutex; any other nCode goes straight to the next hook without
// the lock. Neither alters or swallows the action.
LRESULT CALLBACK mouseHookProc(int nCode, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK keyboardHookProc(int nCode, WPARAM wParam, LPARAM lParam);

// The keys as the keyboard hook has seen them, each set before the listener hears of it. A
// low-level hook runs before the system updates its own key state, and the hook thread reads no
// keyboard messages, so GetKeyState there lags the key (under Wine it even says F7 is down on its
// release); the listener's key-state questions are answered from here instead.
KeyStateTable& hookKeyStates();
