#include "platform/win32/hook_procedures.h"

#include "capture/input_listener.h"

KeyStateTable& hookKeyStates()
{
    static KeyStateTable table;
    return table;
}

LRESULT CALLBACK mouseHookProc(int nCode, WPARAM wParam, LPARAM lParam)
{
    if (nCode == HC_ACTION) {
        const auto message = static_cast<int>(wParam);
        int mouseData = 0;
        if (message == WM_MOUSEWHEEL || message == WM_MOUSEHWHEEL || message == WM_XBUTTONDOWN
            || message == WM_XBUTTONUP) {
            // The high word: the wheel's signed delta, or XBUTTON1/XBUTTON2.
            const auto* record = reinterpret_cast<const MSLLHOOKSTRUCT*>(lParam);
            mouseData = static_cast<short>(HIWORD(record->mouseData));
        }
        deliverMouseEvent(message, mouseData);
    }
    return CallNextHookEx(nullptr, nCode, wParam, lParam);
}

LRESULT CALLBACK keyboardHookProc(int nCode, WPARAM wParam, LPARAM lParam)
{
    if (nCode == HC_ACTION) {
        const auto* record = reinterpret_cast<const KBDLLHOOKSTRUCT*>(lParam);
        const int virtualKey = static_cast<int>(record->vkCode);
        hookKeyStates().set(virtualKey, wParam == WM_KEYDOWN || wParam == WM_SYSKEYDOWN);
        deliverKeyEvent(static_cast<int>(wParam), virtualKey);
    }
    return CallNextHookEx(nullptr, nCode, wParam, lParam);
}
