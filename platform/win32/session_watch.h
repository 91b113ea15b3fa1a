#pragma once

#include <windows.h>

#include <atomic>

#include "platform/platform_input.h"

// Whether the desktop takes input: not while the screen is locked, another session has the
// screen, or the computer goes to sleep. Windows tells a window of these changes (session and
// suspend notifications); the main window registers and hands each such message on here.
class SessionWatch {
public:
    // Registers `window` for the notifications; the thread that owns it must call barrier().
    void attach(HWND window);
    // A WM_WTSSESSION_CHANGE or WM_POWERBROADCAST; any other message is ignored. When the desktop
    // comes back, the key table is read again from the system, since keys pressed and released on
    // the lock screen (Ctrl+Alt+Del) never reached the hook.
    void observe(UINT message, WPARAM wParam);
    // What keeps input from the desktop now. On the window's thread, changes still queued for the
    // window are taken first (a playback blocks that thread's message loop), and the first barrier
    // among them is answered even if the desktop came back since.
    InputBarrier barrier();

private:
    std::atomic<InputBarrier> state{InputBarrier::Clear};
    std::atomic<HWND> window{nullptr};
    std::atomic<DWORD> windowThread{0};
};

// The process's one watch, fed by the main window and asked by the player.
SessionWatch& sessionWatch();
