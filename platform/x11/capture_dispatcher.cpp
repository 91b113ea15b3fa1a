#include "platform/x11/capture_dispatcher.h"

#include <X11/X.h>

#include "capture/input_listener.h"
#include "platform/key_state_table.h"
#include "platform/modifier_keys.h"
#include "platform/x11/keymap.h"
#include "platform/x11/virtual_keys.h"

namespace {

struct ButtonMessages {
    unsigned button;
    int down;
    int up;          // 0: the release is not reported (wheel notches)
    int virtualKey;  // 0: no key state (wheel notches)
    int mouseData;   // the hook's mouse data: a notch's delta, or the side button's number
};

// A wheel notch is a press and a release of buttons 4 (up), 5 (down), 6 (left) or 7 (right).
constexpr ButtonMessages kButtons[] = {
    {1, win::WmLButtonDown, win::WmLButtonUp, 0x01, 0},
    {2, win::WmMButtonDown, win::WmMButtonUp, 0x04, 0},
    {3, win::WmRButtonDown, win::WmRButtonUp, 0x02, 0},
    {4, win::WmMouseWheel, 0, 0, win::WheelDelta},
    {5, win::WmMouseWheel, 0, 0, -win::WheelDelta},
    {6, win::WmMouseHWheel, 0, 0, -win::WheelDelta},
    {7, win::WmMouseHWheel, 0, 0, win::WheelDelta},
    {8, win::WmXButtonDown, win::WmXButtonUp, 0x05, win::XButton1},
    {9, win::WmXButtonDown, win::WmXButtonUp, 0x06, win::XButton2},
};

constexpr int kVkF10 = 0x79;

thread_local const CoreInputEvent* t_delivering = nullptr;

// Marks the event whose listener call is under way, for the position query made from inside it.
class DeliveryScope {
public:
    explicit DeliveryScope(const CoreInputEvent& event) { t_delivering = &event; }
    ~DeliveryScope() { t_delivering = nullptr; }
    DeliveryScope(const DeliveryScope&) = delete;
    DeliveryScope& operator=(const DeliveryScope&) = delete;
};

}  // namespace

CaptureDispatcher::CaptureDispatcher(KeyStateTable& keys, const SpareKeyBindings& spareKeys)
    : keys(keys), spareKeys(spareKeys)
{
}

void CaptureDispatcher::dispatch(const CoreInputEvent& event, const Keymap& keymap)
{
    switch (event.type) {
    case MotionNotify:
        deliverMouseEvent(win::WmMouseMove);
        break;
    case ButtonPress:
    case ButtonRelease:
        dispatchButton(event);
        break;
    case KeyPress:
    case KeyRelease:
        dispatchKey(event, keymap);
        break;
    default:
        break;
    }
}

void CaptureDispatcher::dispatchButton(const CoreInputEvent& event)
{
    const bool press = event.type == ButtonPress;
    for (const ButtonMessages& button : kButtons) {
        if (button.button != event.detail)
            continue;
        const int message = press ? button.down : button.up;
        if (message == 0)
            return;
        if (button.virtualKey != 0)
            keys.set(button.virtualKey, press);
        DeliveryScope scope(event);
        deliverMouseEvent(message, button.mouseData);
        return;
    }
}

void CaptureDispatcher::dispatchKey(const CoreInputEvent& event, const Keymap& keymap)
{
    const int virtualKey = virtualKeyOf(event.detail, event.state, keymap);
    if (virtualKey == 0)
        return;
    const bool press = event.type == KeyPress;
    keys.set(virtualKey, press);

    // Windows' system-key rule: Alt held without Control, or F10. A modifier counts as held
    // during its own transition, so Alt alone goes down and up as a system key.
    const auto held = [&](int generic) { return keys.isDown(generic) || isSideOf(virtualKey, generic); };
    const bool systemKey = (held(win::VkMenu) && !held(win::VkControl)) || virtualKey == kVkF10;
    const int message = systemKey ? (press ? win::WmSysKeyDown : win::WmSysKeyUp)
                                  : (press ? win::WmKeyDown : win::WmKeyUp);
    DeliveryScope scope(event);
    deliverKeyEvent(message, virtualKey);
}

void CaptureDispatcher::noteHeldKeys(const char (&keycodesDown)[32], const Keymap& keymap)
{
    for (unsigned keycode = 8; keycode < 256; ++keycode) {
        const int virtualKey = virtualKeyOf(keycode, 0, keymap);
        if (virtualKey != 0 && (keycodesDown[keycode / 8] & (1 << (keycode % 8))))
            keys.set(virtualKey, true);
    }
}

int CaptureDispatcher::virtualKeyOf(unsigned keycode, unsigned state, const Keymap& keymap) const
{
    const int virtualKey = spareKeys.virtualKey(keycode);
    return virtualKey != 0 ? virtualKey : virtualKeyFromKeysym(keymap.keysym(keycode, state));
}

bool dispatchedEventPosition(ScreenPoint& point)
{
    if (!t_delivering)
        return false;
    point = ScreenPoint{t_delivering->rootX, t_delivering->rootY};
    return true;
}
