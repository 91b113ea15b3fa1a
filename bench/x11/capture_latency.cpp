// Injects 10,000 clicks through XTEST from a connection of its own and reports whether every one
// reached the listener, in order, and how long each press took from injection to listener call:
// as fast as XTEST takes them and paced one click per millisecond, each with and without a window
// that receives the clicks.
// Usage: xvfb-run -a tamblo_x11_capture_latency
#include <X11/Xlib.h>
#include <poll.h>
#include <X11/extensions/XTest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <memory>
#include <thread>
#include <vector>

#include "bench_stats.h"
#include "capture/recorder.h"
#include "platform/system_platform.h"
#include "tests/x11/screen_window.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kClicks = 10000;

// Stamps every mouse call; runs on the capture thread under the listener lock.
class StampingListener : public Recorder {
public:
    explicit StampingListener(PlatformInput& platform) : Recorder(platform)
    {
        messages.resize(2 * kClicks);
        stamps.resize(2 * kClicks);
        attachCodec(nullptr);
    }
    void onMouseEvent(int msgCode, int) override
    {
        const int index = received.load(std::memory_order_relaxed);
        if (index < 2 * kClicks) {
            stamps[static_cast<std::size_t>(index)] = Clock::now();
            messages[static_cast<std::size_t>(index)] = msgCode;
        }
        received.store(index + 1, std::memory_order_release);
    }
    void onKeyEvent(int, int) override {}

    std::vector<int> messages;
    std::vector<Clock::time_point> stamps;
    std::atomic<int> received{0};
};

// A client that receives the clicks and reads them, as some window always does on a desktop. The
// server hands recorded data over when it flushes client output; with no client to deliver to,
// that waits until its recording buffer fills.
class ClickReceiver {
public:
    ClickReceiver() : display(XOpenDisplay(nullptr))
    {
        window = createScreenWindow(display, ButtonPressMask | ButtonReleaseMask);
        reader = std::thread([this] { read(); });
    }
    ~ClickReceiver()
    {
        stopping = true;
        reader.join();
        XDestroyWindow(display, window);
        XCloseDisplay(display);
    }

private:
    void read()
    {
        pollfd connection{ConnectionNumber(display), POLLIN, 0};
        while (!stopping) {
            if (poll(&connection, 1, 50) != 1)
                continue;
            while (XPending(display)) {
                XEvent event;
                XNextEvent(display, &event);
            }
        }
    }

    Display* display;
    Window window = 0;
    std::atomic<bool> stopping{false};
    std::thread reader;
};

void run(const char* title, Display* injector, PlatformInput& platform, std::chrono::microseconds pace)
{
    StampingListener listener(platform);
    std::vector<Clock::time_point> injected(kClicks);
    const Clock::time_point begin = Clock::now();
    for (int click = 0; click < kClicks; ++click) {
        if (pace.count() > 0)
            platform.sleepUntil(begin + pace * click);
        injected[static_cast<std::size_t>(click)] = Clock::now();
        XTestFakeButtonEvent(injector, 1, True, CurrentTime);
        XTestFakeButtonEvent(injector, 1, False, CurrentTime);
        XFlush(injector);
    }
    XSync(injector, False);
    const Clock::time_point injectedAll = Clock::now();
    const Clock::time_point giveUp = injectedAll + std::chrono::seconds(30);
    while (listener.received.load(std::memory_order_acquire) < 2 * kClicks && Clock::now() < giveUp)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));

    const int received = std::min(listener.received.load(std::memory_order_acquire), 2 * kClicks);
    // Each lost call leaves two presses or two releases side by side.
    int repeated = 0;
    for (int index = 1; index < received; ++index)
        repeated += listener.messages[static_cast<std::size_t>(index)] == listener.messages[static_cast<std::size_t>(index - 1)];
    const auto ms = [](Clock::duration span) { return std::chrono::duration<double, std::milli>(span).count(); };
    std::printf("%s\n", title);
    std::printf("  injected in %.1f ms; listener calls %d of %d, first 0x%X, same message twice in a row %d; "
                "last call after %.1f ms\n",
                ms(injectedAll - begin), received, 2 * kClicks, received ? listener.messages[0] : 0, repeated,
                received ? ms(listener.stamps[static_cast<std::size_t>(received - 1)] - begin) : 0.0);
    if (received < 2 * kClicks) {
        std::printf("  latency not measured: calls are missing, so presses cannot be matched to injections\n");
        return;
    }
    std::vector<std::chrono::nanoseconds> latencies;
    for (int click = 0; click < kClicks; ++click)
        latencies.push_back(listener.stamps[static_cast<std::size_t>(2 * click)] - injected[static_cast<std::size_t>(click)]);
    printDurations("  press: injection -> listener call", latencies);
}

}  // namespace

int main()
{
    Display* injector = XOpenDisplay(nullptr);
    if (!injector) {
        std::fprintf(stderr, "needs an X display (DISPLAY)\n");
        return 1;
    }
    const auto platform = createSystemPlatform();
    CaptureFailure reason;
    if (!platform->startHookThread(reason)) {
        std::fprintf(stderr, "capture did not start: %s\n", reason.detail.c_str());
        return 1;
    }
    run("10,000 clicks as fast as XTEST takes them, no window receiving them", injector, *platform,
        std::chrono::microseconds(0));
    run("10,000 clicks, one per millisecond, no window receiving them", injector, *platform,
        std::chrono::microseconds(1000));
    {
        ClickReceiver receiver;
        run("10,000 clicks as fast as XTEST takes them, a window receiving them", injector, *platform,
            std::chrono::microseconds(0));
        run("10,000 clicks, one per millisecond, a window receiving them", injector, *platform,
            std::chrono::microseconds(1000));
    }
    platform->stopHookThread();
    XCloseDisplay(injector);
    return 0;
}
