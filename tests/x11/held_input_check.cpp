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
    std::vector<unsigned> held;
    int opcode = 0;
    int event = 0;
    int error = 0;
    int major = 2;
    int minor = 0;
    if (!XQueryExtension(display, "XInputExtension", &opcode, &event, &error)
        || XIQueryVersion(display, &major, &minor) != Success)
        return held;
    int pointer = 0;
    int devices = 0;
    XIDeviceInfo* info = XIQueryDevice(display, XIAllMasterDevices, &devices);
    for (int i = 0; i < devices && pointer == 0; ++i) {
        if (info[i].use == XIMasterPointer)
            pointer = info[i].deviceid;
    }
    XIFreeDeviceInfo(info);
    if (pointer == 0)
        return held;
    Window root = 0;
    Window child = 0;
    double rootX = 0;
    double rootY = 0;
    double windowX = 0;
    double windowY = 0;
    XIButtonState buttons{};
    XIModifierState modifiers{};
    XIGroupState group{};
    if (XIQueryPointer(display, pointer, DefaultRootWindow(display), &root, &child, &rootX, &rootY, &windowX,
                       &windowY, &buttons, &modifiers, &group)) {
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
