#include "x_session.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>

#include <chrono>
#include <thread>

namespace {

void pause(int ms)
{
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

}  // namespace

XSession::XSession() : display(XOpenDisplay(nullptr)) {}

XSession::XSession(const std::string& displayName) : display(XOpenDisplay(displayName.c_str())) {}

XSession::~XSession()
{
    if (display)
        XCloseDisplay(display);
}

void XSession::deliver()
{
    // A round trip, dropping whatever events came in: the server stops reading the requests of a
    // client that never reads its own incoming events (MappingNotify goes to every client).
    XSync(display, True);
}

void XSession::sendKey(const char* keysymName, bool press)
{
    const KeyCode code = XKeysymToKeycode(display, XStringToKeysym(keysymName));
    XTestFakeKeyEvent(display, code, press ? True : False, CurrentTime);
    deliver();
}

void XSession::pressKey(const char* keysymName)
{
    sendKey(keysymName, true);
}

void XSession::releaseKey(const char* keysymName)
{
    sendKey(keysymName, false);
}

void XSession::tapKey(const char* keysymName)
{
    pressKey(keysymName);
    pause(20);
    releaseKey(keysymName);
    pause(20);
}

void XSession::typeText(const std::string& text)
{
    for (char c : text) {
        const KeySym sym = c == '/' ? XK_slash : c == '.' ? XK_period : c == '-' ? XK_minus : KeySym(c);
        const KeyCode code = XKeysymToKeycode(display, sym);
        XTestFakeKeyEvent(display, code, True, CurrentTime);
        XTestFakeKeyEvent(display, code, False, CurrentTime);
        deliver();
        pause(5);
    }
}

void XSession::movePointer(int x, int y)
{
    XTestFakeMotionEvent(display, -1, x, y, CurrentTime);
    deliver();
}

void XSession::click(int x, int y, unsigned button)
{
    XTestFakeMotionEvent(display, -1, x, y, CurrentTime);
    deliver();
    pause(30);
    XTestFakeButtonEvent(display, button, True, CurrentTime);
    deliver();
    pause(30);
    XTestFakeButtonEvent(display, button, False, CurrentTime);
    deliver();
    pause(30);
}

std::string XSession::titleOf(unsigned long window)
{
    const Atom netName = XInternAtom(display, "_NET_WM_NAME", False);
    const Atom utf8 = XInternAtom(display, "UTF8_STRING", False);
    Atom type = 0;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* value = nullptr;
    std::string title;
    if (XGetWindowProperty(display, window, netName, 0, 1024, False, utf8, &type, &format, &count,
                           &after, &value) == Success && value) {
        title.assign(reinterpret_cast<char*>(value), count);
        XFree(value);
    }
    return title;
}

std::vector<unsigned long> XSession::windowsTitled(const std::string& utf8Title, bool dialogsOnly)
{
    std::vector<unsigned long> found;
    Window root = 0, parent = 0;
    Window* children = nullptr;
    unsigned count = 0;
    if (!XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count))
        return found;
    for (unsigned i = 0; i < count; ++i) {
        XWindowAttributes attributes;
        if (!XGetWindowAttributes(display, children[i], &attributes) || attributes.map_state != IsViewable)
            continue;
        Window owner = 0;
        const bool transient = XGetTransientForHint(display, children[i], &owner) && owner != 0;
        if ((!dialogsOnly || transient) && titleOf(children[i]) == utf8Title)
            found.push_back(children[i]);
    }
    if (children)
        XFree(children);
    return found;
}

void XSession::focus(unsigned long window)
{
    XRaiseWindow(display, window);
    XSetInputFocus(display, window, RevertToParent, CurrentTime);
    deliver();
}

bool XSession::asksForPlace(unsigned long window)
{
    XSizeHints hints{};
    long supplied = 0;
    return XGetWMNormalHints(display, window, &hints, &supplied) && (hints.flags & USPosition) != 0;
}

void XSession::requestClose(unsigned long window)
{
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(display, window, False, NoEventMask, &event);
    deliver();
}

unsigned XSession::heldButtonsAndModifiers()
{
    Window root = 0, child = 0;
    int rootX = 0, rootY = 0, x = 0, y = 0;
    unsigned mask = 0;
    XQueryPointer(display, DefaultRootWindow(display), &root, &child, &rootX, &rootY, &x, &y, &mask);
    // Buttons 1-5 are bits 8-12 of the core mask; the modifiers keep their bits, shifted up.
    return ((mask >> 8) & 0x1F) | ((mask & 0xFF) << 8);
}

void XSession::releaseEverything()
{
    for (unsigned button = 1; button <= 3; ++button)
        XTestFakeButtonEvent(display, button, False, CurrentTime);
    for (const char* key : {"Shift_L", "Shift_R", "Control_L", "Control_R", "Alt_L"})
        XTestFakeKeyEvent(display, XKeysymToKeycode(display, XStringToKeysym(key)), False, CurrentTime);
    deliver();
}
