#include "tests/x11/held_input_check.h"

// GoogleTest before Xlib, whose macros (None, Bool) would break its templates.
#include <gtest/gtest.h>

#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>

#include <cstdlib>
#include <utility>

namespace {

// The core pointer reports buttons 1 to 5 in its state mask.
constexpr unsigned kReportedButtons = 5;
constexpr int kKeycodes = 256;

std::string keyName(Display* display, int keycode)
{
    const KeySym keysym = XkbKeycodeToKeysym(display, static_cast<KeyCode>(keycode), 0, 0);
    const char* name = keysym == NoSymbol ? nullptr : XKeysymToString(keysym);
    return "key " + std::to_string(keycode) + (name ? " (" + std::string(name) + ")" : std::string());
}

unsigned pointerMask(Display* display)
{
    Window root = 0;
    Window child = 0;
    int rootX = 0;
    int rootY = 0;
    int windowX = 0;
    int windowY = 0;
    unsigned mask = 0;
    XQueryPointer(display, DefaultRootWindow(display), &root, &child, &rootX, &rootY, &windowX, &windowY, &mask);
    return mask;
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

std::vector<std::string> releaseHeldInput(const std::string& displayName)
{
    std::vector<std::string> held;
    Display* display = XOpenDisplay(displayName.c_str());
    if (!display)
        return held;
    const unsigned buttons = pointerMask(display);
    for (unsigned button = 1; button <= kReportedButtons; ++button) {
        if (buttons & (Button1Mask << (button - 1))) {
            held.push_back("button " + std::to_string(button));
            XTestFakeButtonEvent(display, button, False, CurrentTime);
        }
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
