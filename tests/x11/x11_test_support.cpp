#include "x11_test_support.h"
#include "tests/x11/screen_window.h"

#include <X11/extensions/XTest.h>

#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <ostream>
#include <stdexcept>
#include <thread>

namespace {

// A server that has just lost its last client resets and refuses connections for a moment; the
// tests run one per process, so each may arrive in that moment.
Display* openDisplay(const char* name)
{
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    Display* display = XOpenDisplay(name);
    while (!display && std::chrono::steady_clock::now() < giveUp) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        display = XOpenDisplay(name);
    }
    if (!display)
        throw std::runtime_error(std::string("cannot open the X display ") + (name ? name : ""));
    return display;
}

}  // namespace

TestDisplay::TestDisplay() : display(openDisplay(nullptr)) {}

TestDisplay::~TestDisplay()
{
    XCloseDisplay(display);
}

void TestDisplay::move(int x, int y)
{
    XTestFakeMotionEvent(display, DefaultScreen(display), x, y, CurrentTime);
}

void TestDisplay::button(unsigned button, bool press)
{
    XTestFakeButtonEvent(display, button, press, CurrentTime);
}

void TestDisplay::key(KeySym keysym, bool press)
{
    XTestFakeKeyEvent(display, XKeysymToKeycode(display, keysym), press, CurrentTime);
}

void TestDisplay::sync()
{
    XSync(display, False);
}

namespace {

void queryPointer(Display* display, ScreenPoint& point, unsigned& mask)
{
    Window root = 0;
    Window child = 0;
    int windowX = 0;
    int windowY = 0;
    XQueryPointer(display, DefaultRootWindow(display), &root, &child, &point.x, &point.y, &windowX, &windowY, &mask);
}

}  // namespace

ScreenPoint TestDisplay::pointer() const
{
    ScreenPoint point;
    unsigned mask = 0;
    queryPointer(display, point, mask);
    return point;
}

unsigned TestDisplay::pointerMask() const
{
    ScreenPoint point;
    unsigned mask = 0;
    queryPointer(display, point, mask);
    return mask;
}

int TestDisplay::keycodesTyping(KeySym keysym) const
{
    int first = 0;
    int last = 0;
    XDisplayKeycodes(display, &first, &last);
    int perKeycode = 0;
    KeySym* mapping = XGetKeyboardMapping(display, static_cast<KeyCode>(first), last - first + 1, &perKeycode);
    int count = 0;
    for (int index = 0; index < (last - first + 1) * perKeycode; ++index)
        count += mapping[index] == keysym;
    XFree(mapping);
    return count;
}

ListenerLog::ListenerLog(PlatformInput& platform) : Recorder(platform)
{
    attachCodec(nullptr);
}

void ListenerLog::onKeyEvent(int msgCode, int vk)
{
    ListenerCall call;
    call.message = msgCode + win::WmKeyDown;
    call.virtualKey = vk;
    call.keyDown = (platform.keyState(vk) & win::KeyStateDown) != 0;
    add(call);
}

void ListenerLog::onMouseEvent(int msgCode, int mouseData)
{
    ListenerCall call;
    call.message = msgCode;
    call.mouseData = mouseData;
    platform.cursorPos(call.position);
    add(call);
}

void ListenerLog::add(const ListenerCall& call)
{
    std::lock_guard<std::mutex> lock(mutex);
    log.push_back(call);
    arrived.notify_all();
}

std::vector<ListenerCall> ListenerLog::takeUntil(const ListenerCall& marker, std::chrono::milliseconds timeout)
{
    std::unique_lock<std::mutex> lock(mutex);
    auto found = log.end();
    arrived.wait_for(lock, timeout, [&] {
        found = std::find(log.begin(), log.end(), marker);
        return found != log.end();
    });
    std::vector<ListenerCall> before(log.begin(), found);
    log.erase(log.begin(), found == log.end() ? found : found + 1);
    return before;
}

std::vector<ListenerCall> ListenerLog::calls()
{
    std::lock_guard<std::mutex> lock(mutex);
    return log;
}

ObserverWindow::ObserverWindow() : display(openDisplay(nullptr))
{
    window = createScreenWindow(display, ButtonPressMask | ButtonReleaseMask | KeyPressMask | KeyReleaseMask);
    XSetInputFocus(display, window, RevertToParent, CurrentTime);
    XSync(display, True);
}

ObserverWindow::~ObserverWindow()
{
    XDestroyWindow(display, window);
    XCloseDisplay(display);
}

std::vector<ObserverWindow::Seen> ObserverWindow::take()
{
    XSync(display, False);
    std::vector<Seen> seen;
    while (XPending(display)) {
        XEvent event;
        XNextEvent(display, &event);
        if (event.type == ButtonPress || event.type == ButtonRelease)
            seen.push_back({event.type, event.xbutton.button, event.xbutton.x_root, event.xbutton.y_root,
                            event.xbutton.time});
        else if (event.type == KeyPress || event.type == KeyRelease)
            seen.push_back({event.type, event.xkey.keycode, event.xkey.x_root, event.xkey.y_root, event.xkey.time});
    }
    return seen;
}

unsigned ObserverWindow::keycode(KeySym keysym) const
{
    return XKeysymToKeycode(display, keysym);
}

std::ostream& operator<<(std::ostream& out, const ListenerCall& call)
{
    return out << "{0x" << std::hex << call.message << ", 0x" << call.virtualKey << std::dec << "}";
}

std::ostream& operator<<(std::ostream& out, const ObserverWindow::Seen& seen)
{
    return out << "{type " << seen.type << ", " << seen.detail << " at " << seen.x << "," << seen.y << "}";
}

ScopedDisplayVariable::ScopedDisplayVariable(const char* value)
{
    if (const char* current = std::getenv("DISPLAY")) {
        hadValue = true;
        saved = current;
    }
    if (value)
        setenv("DISPLAY", value, 1);
    else
        unsetenv("DISPLAY");
}

ScopedDisplayVariable::~ScopedDisplayVariable()
{
    if (hadValue)
        setenv("DISPLAY", saved.c_str(), 1);
    else
        unsetenv("DISPLAY");
}
