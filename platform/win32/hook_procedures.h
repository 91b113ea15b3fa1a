#pragma once

#include <windows.h>

// The low-level hook procedures. For an action to process (nCode 0) each hands the Windows message,
// for keys the virtual-key code, for the wheel and side buttons the delta or button number, to the
// registered listener under g_listenerMutex; any other nCode goes straight to the next hook without
// the lock. Neither alters or swallows the action.
LRESULT CALLBACK mouseHookProc(int nCode, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK keyboardHookProc(int nCode, WPARAM wParam, LPARAM lParam);
