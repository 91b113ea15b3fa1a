#include "platform/win32/hook_procedures.h"

#include "capture/input_listener.h"

KeyStateTable& hookKeyStates()
{
    static KeyStateTable table;
    return table;
}

LRESULT CALLBACK mouseHookProc(int nCode, WPARAM wParam, LPARAM lParam)
{
    if (nCode == HC_ACTION)
        deliverMouseEvent(static_cast<int>(wParam));
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
