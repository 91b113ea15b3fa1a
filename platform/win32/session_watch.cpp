#include "platform/win32/session_watch.h"

#include <wtsapi32.h>

#include "platform/win32/hook_procedures.h"

namespace {

void rereadKeyStates()
{
    for (int virtualKey = 1; virtualKey < 256; ++virtualKey)
        hookKeyStates().set(virtualKey, (GetAsyncKeyState(virtualKey) & 0x8000) != 0);
}

}  // namespace

SessionWatch& sessionWatch()
{
    static SessionWatch watch;
    return watch;
}

void SessionWatch::attach(HWND target)
{
    if (window.exchange(target) == target)
        return;
    windowThread = GetWindowThreadProcessId(target, nullptr);
    WTSRegisterSessionNotification(target, NOTIFY_FOR_THIS_SESSION);
    RegisterSuspendResumeNotification(target, DEVICE_NOTIFY_WINDOW_HANDLE);
}

void SessionWatch::observe(UINT message, WPARAM wParam)
{
    InputBarrier now = state;
    if (message == WM_WTSSESSION_CHANGE) {
        switch (wParam) {
        case WTS_SESSION_LOCK:
        case WTS_CONSOLE_DISCONNECT:
        case WTS_REMOTE_DISCONNECT:
            now = InputBarrier::LockedDesktop;
            break;
        case WTS_SESSION_UNLOCK:
        case WTS_CONSOLE_CONNECT:
        case WTS_REMOTE_CONNECT:
            now = InputBarrier::Clear;
            break;
        default:
            break;
        }
    } else if (message == WM_POWERBROADCAST) {
        if (wParam == PBT_APMSUSPEND)
            now = InputBarrier::Suspended;
        else if (wParam == PBT_APMRESUMESUSPEND || wParam == PBT_APMRESUMEAUTOMATIC)
            now = InputBarrier::Clear;
    }
    if (state.exchange(now) != InputBarrier::Clear && now == InputBarrier::Clear)
        rereadKeyStates();
}

InputBarrier SessionWatch::barrier()
{
    InputBarrier first = InputBarrier::Clear;
    const HWND target = window;
    if (target && windowThread == GetCurrentThreadId()) {
        MSG message;
        while (PeekMessageW(&message, target, WM_WTSSESSION_CHANGE, WM_WTSSESSION_CHANGE, PM_REMOVE)) {
            observe(message.message, message.wParam);
            if (first == InputBarrier::Clear)
                first = state;
        }
    }
    return first != InputBarrier::Clear ? first : state.load();
}
