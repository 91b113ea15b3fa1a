#pragma once

#include <X11/Xlib.h>

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>

#include "platform/platform_input.h"
#include "guardian/x11/socket_guardian_link.h"
#include "platform/x11/keymap.h"

// Pointer queries and synthetic input through XTEST, on a connection of its own that any thread
// may use. Every injection reaches the server before the call returns. A guardian process hears
// of every press, release and keycode binding, and undoes what is left if this process is killed.
std::unique_ptr<GuardianLink> socketGuardianLink(const std::string& displayName);

class XTestInjector {
public:
    // Makes the line to the guardian for the named display.
    using GuardianLinkMaker = std::function<std::unique_ptr<GuardianLink>(const std::string& displayName)>;

    explicit XTestInjector(SpareKeyBindings& spareKeys, const GuardianLinkMaker& makeGuardian = socketGuardianLink);
    ~XTestInjector();

    XTestInjector(const XTestInjector&) = delete;
    XTestInjector& operator=(const XTestInjector&) = delete;

    bool pointerPosition(ScreenPoint& point);
    bool movePointer(int x, int y);
    // Whether the current keymap has a key that types this virtual key unshifted.
    bool hasKeyFor(int virtualKey);
    // One Windows mouse input: the left, right and middle down/up flags, applied in that order,
    // then the side button's (mouseData 1 is button 8, 2 is button 9), then the wheel's: a press
    // and release of button 4 or 5 (6 or 7 across) per 120 of delta. The part of a delta short of
    // a notch is carried to the next delta on the same axis, so the total scrolled is right. False
    // without a display connection.
    bool injectMouse(std::uint32_t flags, std::int32_t mouseData);
    // A Windows virtual key, pressed or (with KEYEVENTF_KEYUP) released. False without a display
    // connection; a key that no keymap entry can type is skipped.
    bool pressKey(std::uint32_t virtualKey, std::uint32_t flags);
    // Starts the guardian ahead of the first press (it is started on demand otherwise).
    void startGuardian();

private:
    void followKeymapChanges();
    KeyCode keycodeFor(int virtualKey, bool press);
    KeyCode bindSpareKeycode(int virtualKey, KeySym keysym);
    void unbind(int virtualKey);

    std::mutex mutex;
    Display* display = nullptr;
    Keymap keymap;
    // Virtual keys pressed on a temporarily bound spare keycode, until released.
    std::map<int, KeyCode> boundKeys;
    SpareKeyBindings& spareKeys;
    std::unique_ptr<GuardianLink> guardian;
    // Delta not yet scrolled, vertical and horizontal; always less than a notch.
    std::int64_t wheelRemainder[2] = {0, 0};
};
