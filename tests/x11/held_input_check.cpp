#include "tests/x11/held_input_check.h"

// GoogleTest before Xlib, whose macros (None, Bool) would break its templates.
#include <gtest/gtest.h>

#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/extensions/XInput2.h>
#include <X11/extensions/XTest.h>

#include <cstdlib>
#include <utility>

namespace {

constexpr int kKeycodes = 256;

std::string keyName(Display* display, int keycode)
{
    const KeySym keysym = XkbKeycodeToKeysym(display, static_cast<KeyCode>(keycode), 0, 0);
    const char* name = keysym == NoSymbol ? nullptr : XKeysymToString(keysym);
    return "key " + std::to_string(keycode) + (name ? " (" + std::string(name) + ")" : std::string());
}


class HeldInputCheck : public testing::EmptyTestEventListener {
public:
    explicit HeldInputCheck(std::string displayName) : displayName(std::move(displayName)) {}

    // Runs before the test's result is printed, so a failure here is the test's own.
    void OnTestEnd(const testing::TestInfo&) override
    {
        const std::vector<std::string> held = releaseHeldInput(displayName);
        if (held.empty())
            return;
        std::string list;
        for (const std::string& each : held)
            list += (list.empty() ? "" : ", ") + each;
        ADD_FAILURE() << "the test left input held on the display " << displayName << " (now released): " << list;
    }

private:
    std::string displayName;
};

}  // namespace

std::vector<unsigned> heldButtons(Display* display)
{
    // The core state mask stops at button 5; XInput 2 reports them all, for the server's virtual
    // core pointer, which is always device 2.
    constexpr int kVirtualCorePointer = 2;
    std::vector<unsigned> held;
    int major = 2;
    int minor = 0;
    int unused[3];
    Window windows[2];
    double positions[4];
    XIButtonState buttons{};
    XIModifierState modifiers{};
    XIGroupState group{};
    if (XQueryExtension(display, "XInputExtension", &unused[0], &unused[1], &unused[2])
        && XIQueryVersion(display, &major, &minor) == Success
        && XIQueryPointer(display, kVirtualCorePointer, DefaultRootWindow(display), &windows[0], &windows[1],
                          &positions[0], &positions[1], &positions[2], &positions[3], &buttons, &modifiers, &group)) {
        for (int button = 1; button < buttons.mask_len * 8; ++button) {
            if (XIMaskIsSet(buttons.mask, button))
                held.push_back(static_cast<unsigned>(button));
        }
    }
    XFree(buttons.mask);
    return held;
}

std::vector<std::string> releaseHeldInput(const std::string& displayName)
{
    std::vector<std::string> held;
    Display* display = XOpenDisplay(displayName.c_str());
    if (!display)
        return held;
    for (const unsigned button : heldButtons(display)) {
        held.push_back("button " + std::to_string(button));
        XTestFakeButtonEvent(display, button, False, CurrentTime);
    }
    char keys[kKeycodes / 8];
    XQueryKeymap(display, keys);
    for (int keycode = 0; keycode < kKeycodes; ++keycode) {
        if (keys[keycode / 8] & (1 << (keycode % 8))) {
            held.push_back(keyName(display, keycode));
            XTestFakeKeyEvent(display, static_cast<unsigned>(keycode), False, CurrentTime);
        }
    }
    XSync(display, False);
    XCloseDisplay(display);
    return held;
}

void installHeldInputCheck()
{
    const char* display = std::getenv("DISPLAY");
    if (!display || !*display)
        return;
    testing::UnitTest::GetInstance()->listeners().Append(new HeldInputCheck(display));
}
