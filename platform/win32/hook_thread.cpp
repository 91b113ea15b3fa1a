#include "platform/win32/hook_thread.h"

#include <windows.h>

#include "platform/win32/hook_procedures.h"
#include "system/win32/system_error.h"

HookThread::~HookThread()
{
    stop();
}

bool HookThread::start(CaptureFailure& failure)
{
    if (thread.joinable())
        return true;
    std::promise<std::optional<CaptureFailure>> installed;
    std::future<std::optional<CaptureFailure>> outcome = installed.get_future();
    thread = std::thread(&HookThread::run, this, std::move(installed));
    std::optional<CaptureFailure> refused = outcome.get();
    if (!refused)
        return true;
    thread.join();
    failure = std::move(*refused);
    return false;
}

void HookThread::stop()
{
    if (!thread.joinable())
        return;
    PostThreadMessageW(threadId, WM_QUIT, 0, 0);
    thread.join();
}

void HookThread::run(std::promise<std::optional<CaptureFailure>> installed)
{
    threadId = GetCurrentThreadId();
    MSG message;
    // Creates this thread's message queue now, so that a quit message posted as soon as start()
    // has returned is not lost.
    PeekMessageW(&message, nullptr, WM_USER, WM_USER, PM_NOREMOVE);

    HHOOK mouseHook = SetWindowsHookExW(WH_MOUSE_LL, mouseHookProc, nullptr, 0);
    if (!mouseHook) {
        installed.set_value(CaptureFailure{CaptureFailure::Cause::MouseNotWatched, systemErrorText(GetLastError())});
        return;
    }
    HHOOK keyboardHook = SetWindowsHookExW(WH_KEYBOARD_LL, keyboardHookProc, nullptr, 0);
    if (!keyboardHook) {
        installed.set_value(CaptureFailure{CaptureFailure::Cause::KeyboardNotWatched, systemErrorText(GetLastError())});
        UnhookWindowsHookEx(mouseHook);
        return;
    }
    // Keys pressed before the hooks came are not known to be down; none is taken to be.
    hookKeyStates().clear();
    installed.set_value(std::nullopt);

    BOOL received;
    while ((received = GetMessageW(&message, nullptr, 0, 0)) != 0 && received != -1) {
        OutputDebugStringW(L"Message\r\n");
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    UnhookWindowsHookEx(keyboardHook);
    UnhookWindowsHookEx(mouseHook);
}
