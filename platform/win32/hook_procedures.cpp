#include "platform/win32/hook_procedures.h"

#include "capture/input_listener.h"

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
        deliverKeyEvent(static_cast<int>(wParam), static_cast<int>(record->vkCode));
    }
    return CallNextHookEx(nullptr, nCode, wParam, lParam);
}
