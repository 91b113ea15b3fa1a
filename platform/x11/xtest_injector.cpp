#include "platform/x11/xtest_injector.h"

#include <X11/extensions/XTest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "platform/x11/debug_output.h"
#include "platform/x11/display_connection.h"
#include "platform/x11/virtual_keys.h"

namespace {

struct ButtonFlag {
    std::uint32_t flag;
    unsigned button;
    bool press;
};

constexpr ButtonFlag kButtonFlags[] = {
    {win::MouseLeftDown, 1, true},   {win::MouseLeftUp, 1, false},
    {win::MouseRightDown, 3, true},  {win::MouseRightUp, 3, false},
    {win::MouseMiddleDown, 2, true}, {win::MouseMiddleUp, 2, false},
};

// A press, a release, or a number of wheel notches (each a press and a release) of one button.
struct ButtonStep {
    unsigned button;
    enum Kind { Press, Release, Notches } kind;
    std::int64_t notches = 0;
};

// Side button n (XBUTTON1 back, XBUTTON2 forward) is X button 7 + n.
constexpr unsigned kSideButtonBase = 7;

struct WheelAxis {
    std::uint32_t flag;
    unsigned positiveButton;  // up, or right
    unsigned negativeButton;  // down, or left
};

constexpr WheelAxis kWheelAxes[] = {{win::MouseWheel, 4, 5}, {win::MouseHWheel, 7, 6}};

// One line is injected without a stop check, so a hand-written delta of billions must not keep a
// stop waiting for minutes: beyond this many notches (far more than any page needs) a line's
// scroll is cut short, and the cut part is not carried on.
constexpr std::int64_t kMaxNotchesPerLine = 1200;

void reportUntypable(int virtualKey, const char* why)
{
    char line[96];
    std::snprintf(line, sizeof line, "virtual key 0x%X not typed: %s\n", static_cast<unsigned>(virtualKey), why);
    writeDebugOutput(line);
}

}  // namespace

std::unique_ptr<GuardianLink> socketGuardianLink(const std::string& displayName)
{
    return std::make_unique<SocketGuardianLink>(displayName);
}

XTestInjector::XTestInjector(SpareKeyBindings& spareKeys, const GuardianLinkMaker& makeGuardian) : spareKeys(spareKeys)
{
    display = openDisplayConnection();
    int eventBase = 0;
    int errorBase = 0;
    int major = 0;
    int minor = 0;
    if (display && (!XTestQueryExtension(display, &eventBase, &errorBase, &major, &minor) || !keymap.load(display))) {
        closeDisplayConnection(display);
        display = nullptr;
    }
    // Injected input must not wait for another client's server grab.
    if (display) {
        XTestGrabControl(display, True);
        guardian = makeGuardian(DisplayString(display));
    }
}

XTestInjector::~XTestInjector()
{
    if (!display)
        return;
    // A key still held on a borrowed keycode is let go and its keycode given back.
    while (!boundKeys.empty()) {
        const KeyCode keycode = boundKeys.begin()->second;
        XTestFakeKeyEvent(display, keycode, False, CurrentTime);
        XSync(display, False);
        guardian->tell(HeldInputLedger::Op::KeyUp, keycode);
        unbind(boundKeys.begin()->first);
    }
    closeDisplayConnection(display);
}

bool XTestInjector::pointerPosition(ScreenPoint& point)
{
    std::lock_guard<std::mutex> lock(mutex);
    if (!display)
        return false;
    Window root = 0;
    Window child = 0;
    int windowX = 0;
    int windowY = 0;
    unsigned mask = 0;
    // The root coordinates are right even when the pointer is on another screen's root.
    XQueryPointer(display, DefaultRootWindow(display), &root, &child, &point.x, &point.y, &windowX, &windowY, &mask);
    return true;
}

bool XTestInjector::movePointer(int x, int y)
{
    std::lock_guard<std::mutex> lock(mutex);
    if (!display)
        return false;
    XTestFakeMotionEvent(display, DefaultScreen(display), x, y, CurrentTime);
    XSync(display, False);
    return true;
}

bool XTestInjector::injectMouse(std::uint32_t flags, std::int32_t mouseData)
{
    std::lock_guard<std::mutex> lock(mutex);
    if (!display)
        return false;
    std::vector<ButtonStep> steps;
    for (const ButtonFlag& button : kButtonFlags) {
        if (flags & button.flag)
            steps.push_back({button.button, button.press ? ButtonStep::Press : ButtonStep::Release});
    }
    if (mouseData == win::XButton1 || mouseData == win::XButton2) {
        const unsigned sideButton = kSideButtonBase + static_cast<unsigned>(mouseData);
        if (flags & win::MouseXDown)
            steps.push_back({sideButton, ButtonStep::Press});
        if (flags & win::MouseXUp)
            steps.push_back({sideButton, ButtonStep::Release});
    }
    for (const WheelAxis& axis : kWheelAxes) {
        if (!(flags & axis.flag))
            continue;
        std::int64_t& remainder = wheelRemainder[&axis - kWheelAxes];
        remainder += mouseData;
        const std::int64_t notches = remainder / win::WheelDelta;
        remainder %= win::WheelDelta;
        if (notches != 0) {
            steps.push_back({notches > 0 ? axis.positiveButton : axis.negativeButton, ButtonStep::Notches,
                             std::min(std::abs(notches), kMaxNotchesPerLine)});
        }
    }
    // The guardian hears of a press before it happens and of a release after it is done.
    for (const ButtonStep& step : steps) {
        const auto button = static_cast<std::uint8_t>(step.button);
        if (step.kind != ButtonStep::Release)
            guardian->tell(HeldInputLedger::Op::ButtonDown, button);
        for (std::int64_t notch = 0; notch < step.notches; ++notch) {
            XTestFakeButtonEvent(display, step.button, True, CurrentTime);
            XTestFakeButtonEvent(display, step.button, False, CurrentTime);
        }
        if (step.kind != ButtonStep::Notches)
            XTestFakeButtonEvent(display, step.button, step.kind == ButtonStep::Press, CurrentTime);
    }
    XSync(display, False);
    for (const ButtonStep& step : steps) {
        if (step.kind != ButtonStep::Press)
            guardian->tell(HeldInputLedger::Op::ButtonUp, static_cast<std::uint8_t>(step.button));
    }
    return true;
}

bool XTestInjector::pressKey(std::uint32_t virtualKey, std::uint32_t flags)
{
    std::lock_guard<std::mutex> lock(mutex);
    if (!display)
        return false;
    followKeymapChanges();
    const int key = static_cast<int>(virtualKey & 0xFFFF);
    const bool press = (flags & win::KeyEventKeyUp) == 0;
    const KeyCode keycode = keycodeFor(key, press);
    if (keycode == 0)
        return true;
    if (press)
        guardian->tell(HeldInputLedger::Op::KeyDown, keycode);
    XTestFakeKeyEvent(display, keycode, press, CurrentTime);
    XSync(display, False);
    if (!press) {
        guardian->tell(HeldInputLedger::Op::KeyUp, keycode);
        unbind(key);
    }
    return true;
}

void XTestInjector::startGuardian()
{
    std::lock_guard<std::mutex> lock(mutex);
    if (guardian)
        guardian->start();
}

bool XTestInjector::hasKeyFor(int virtualKey)
{
    std::lock_guard<std::mutex> lock(mutex);
    if (!display)
        return false;
    followKeymapChanges();
    const KeySym keysym = keysymFromVirtualKey(virtualKey);
    return keysym != NoSymbol && keymap.keycodeTyping(keysym) != 0;
}

void XTestInjector::followKeymapChanges()
{
    bool changed = false;
    while (XPending(display)) {
        XEvent event;
        XNextEvent(display, &event);
        changed = changed || event.type == MappingNotify;
    }
    if (changed)
        keymap.load(display);
}

KeyCode XTestInjector::keycodeFor(int virtualKey, bool press)
{
    const auto bound = boundKeys.find(virtualKey);
    if (bound != boundKeys.end())
        return bound->second;
    const KeySym keysym = keysymFromVirtualKey(virtualKey);
    if (keysym == NoSymbol) {
        reportUntypable(virtualKey, "no X key symbol for it");
        return 0;
    }
    const KeyCode keycode = keymap.keycodeTyping(keysym);
    if (keycode != 0 || !press)
        return keycode;
    return bindSpareKeycode(virtualKey, keysym);
}

KeyCode XTestInjector::bindSpareKeycode(int virtualKey, KeySym keysym)
{
    KeyCode keycode = keymap.spareKeycode();
    if (keycode == 0) {
        reportUntypable(virtualKey, "not in the keymap and no spare keycode to bind it to");
        return 0;
    }
    spareKeys.remember(keycode, virtualKey);
    guardian->tell(HeldInputLedger::Op::Bind, keycode);
    XChangeKeyboardMapping(display, keycode, 1, &keysym, 1);
    XSync(display, False);
    keymap.load(display);
    boundKeys.emplace(virtualKey, keycode);
    return keycode;
}

void XTestInjector::unbind(int virtualKey)
{
    const auto bound = boundKeys.find(virtualKey);
    if (bound == boundKeys.end())
        return;
    KeySym none = NoSymbol;
    XChangeKeyboardMapping(display, bound->second, 1, &none, 1);
    XSync(display, False);
    guardian->tell(HeldInputLedger::Op::Unbind, bound->second);
    keymap.load(display);
    boundKeys.erase(bound);
}
