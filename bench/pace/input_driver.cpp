#include "input_driver.h"

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

void moveTo(Display* display, int x, int y)
{
    XTestFakeMotionEvent(display, -1, x, y, CurrentTime);
    XFlush(display);
}

void button(Display* display, unsigned number, bool press)
{
    XTestFakeButtonEvent(display, number, press, CurrentTime);
    XFlush(display);
}

void runMove(Display* display, Clock::time_point end)
{
    const Clock::time_point start = Clock::now();
    for (int step = 0;; ++step) {
        const Clock::time_point at = start + milliseconds(2 * step);
        if (at >= end)
            return;
        std::this_thread::sleep_until(at);
        moveTo(display, 100 + step % 1000, 100 + 3 * (step / 1000));
    }
}

void runClicks(Display* display, Clock::time_point end)
{
    const Clock::time_point start = Clock::now();
    for (int click = 0;; ++click) {
        const Clock::time_point at = start + milliseconds(50 * click);
        if (at + milliseconds(30) >= end)
            return;
        std::this_thread::sleep_until(at);
        moveTo(display, 100 + (37 * click) % 1000, 100 + (23 * click) % 700);
        std::this_thread::sleep_until(at + milliseconds(2));
        button(display, 1, true);
        std::this_thread::sleep_until(at + milliseconds(27));
        button(display, 1, false);
    }
}

void runScroll(Display* display, Clock::time_point end)
{
    constexpr unsigned kWheelDown = 5;
    const Clock::time_point start = Clock::now();
    for (int notch = 0;; ++notch) {
        const Clock::time_point at = start + milliseconds(50 * notch);
        if (at + milliseconds(5) >= end)
            return;
        std::this_thread::sleep_until(at);
        if (notch % 20 == 0)
            moveTo(display, 200 + 41 * (notch / 20), 300);
        button(display, kWheelDown, true);
        std::this_thread::sleep_until(at + milliseconds(2));
        button(display, kWheelDown, false);
    }
}

}  // namespace

bool InputDriver::parse(const std::string& text, Workload& workload)
{
    for (Workload candidate : {Workload::Move, Workload::Clicks, Workload::Scroll}) {
        if (text == name(candidate)) {
            workload = candidate;
            return true;
        }
    }
    return false;
}

const char* InputDriver::name(Workload workload)
{
    switch (workload) {
    case Workload::Move:
        return "move";
    case Workload::Clicks:
        return "clicks";
    case Workload::Scroll:
        return "scroll";
    }
    return "";
}

void InputDriver::start(Workload workload, milliseconds duration)
{
    thread = std::thread([workload, end = Clock::now() + duration] {
        Display* display = XOpenDisplay(nullptr);
        if (!display)
            return;
        if (workload == Workload::Move)
            runMove(display, end);
        else if (workload == Workload::Clicks)
            runClicks(display, end);
        else
            runScroll(display, end);
        XSync(display, False);
        XCloseDisplay(display);
    });
}

void InputDriver::join()
{
    if (thread.joinable())
        thread.join();
}

BusyLoops::BusyLoops(int count)
{
    for (; started < count && started < 8; ++started) {
        threads[started] = std::thread([this] {
            volatile unsigned long spins = 0;
            while (running.load(std::memory_order_relaxed))
                spins = spins + 1;
        });
    }
}

BusyLoops::~BusyLoops()
{
    running = false;
    for (int i = 0; i < started; ++i)
        threads[i].join();
}
