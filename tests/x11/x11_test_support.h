#pragma once

#include <X11/Xlib.h>

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "capture/recorder.h"
#include "scoped_xvfb.h"
#include "platform/platform_input.h"

// A connection of the test's own that injects input through XTEST, like another program would.
class TestDisplay {
public:
    TestDisplay();
    ~TestDisplay();
    TestDisplay(const TestDisplay&) = delete;
    TestDisplay& operator=(const TestDisplay&) = delete;

    Display* get() const { return display; }
    void move(int x, int y);
    void button(unsigned button, bool press);
    void key(KeySym keysym, bool press);
    // Sends everything injected so far and waits until the server has handled it.
    void sync();
    ScreenPoint pointer() const;
    unsigned pointerMask() const;
    int keycodesTyping(KeySym keysym) const;

private:
    Display* display = nullptr;
};

// One listener call as the capture thread made it.
struct ListenerCall {
    int message = 0;           // Windows message: key calls carry msgCode + 0x100
    int virtualKey = 0;        // key calls only
    bool keyDown = false;      // key calls: the key-state answer for virtualKey during the call
    ScreenPoint position;      // mouse calls: the pointer position the recorder would store
    int mouseData = 0;         // mouse calls: the wheel's delta or the side button's number
    bool operator==(const ListenerCall& other) const
    {
        return message == other.message && virtualKey == other.virtualKey && mouseData == other.mouseData;
    }
};

// The registered listener: logs each call and lets the test wait for calls to arrive.
class ListenerLog : public Recorder {
public:
    explicit ListenerLog(PlatformInput& platform);

    void onKeyEvent(int msgCode, int vk) override;
    void onMouseEvent(int msgCode, int mouseData) override;

    // Takes the calls seen before `marker` arrived, dropping the marker; all calls seen within the
    // timeout if it never did.
    std::vector<ListenerCall> takeUntil(const ListenerCall& marker,
                                        std::chrono::milliseconds timeout = std::chrono::seconds(3));
    std::vector<ListenerCall> calls();

private:
    void add(const ListenerCall& call);

    std::mutex mutex;
    std::condition_variable arrived;
    std::vector<ListenerCall> log;
};

// A plain window over the whole screen with the keyboard focus, seeing every press and release.
class ObserverWindow {
public:
    struct Seen {
        int type;          // ButtonPress, ButtonRelease, KeyPress or KeyRelease
        unsigned detail;   // button number or keycode
        int x;
        int y;
        Time time = 0;     // the server's time of the event; not compared
        bool operator==(const Seen& other) const
        {
            return type == other.type && detail == other.detail && x == other.x && y == other.y;
        }
    };

    ObserverWindow();
    ~ObserverWindow();
    ObserverWindow(const ObserverWindow&) = delete;
    ObserverWindow& operator=(const ObserverWindow&) = delete;

    // Everything that has reached the window since the last call.
    std::vector<Seen> take();
    unsigned keycode(KeySym keysym) const;

private:
    Display* display = nullptr;
    Window window = 0;
};

std::ostream& operator<<(std::ostream& out, const ListenerCall& call);
std::ostream& operator<<(std::ostream& out, const ObserverWindow::Seen& seen);

// Sets or unsets DISPLAY for the life of the object.
class ScopedDisplayVariable {
public:
    explicit ScopedDisplayVariable(const char* value);
    ~ScopedDisplayVariable();
    ScopedDisplayVariable(const ScopedDisplayVariable&) = delete;
    ScopedDisplayVariable& operator=(const ScopedDisplayVariable&) = delete;

private:
    bool hadValue = false;
    std::string saved;
};
