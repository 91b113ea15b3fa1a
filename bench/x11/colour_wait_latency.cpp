// How long after a pixel changes colour a colour wait ends: a window of this program turns green
// 50 times, at a random moment into a playback of one WAITCOLOR line, and the time from the
// server's having the new colour to play's return is taken (median and p95).
// Usage: xvfb-run -a tamblo_x11_colour_wait_latency
#include <X11/Xlib.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <future>
#include <random>
#include <thread>
#include <vector>

#include "platform/system_platform.h"
#include "playback/player.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kChanges = 50;
constexpr unsigned long kGreen = 0x00FF00;
constexpr unsigned long kBlack = 0x000000;

void paint(Display* display, Window window, unsigned long rgb)
{
    XSetWindowBackground(display, window, rgb);
    XClearWindow(display, window);
    XSync(display, False);
}

}  // namespace

int main()
{
    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        std::printf("no X display\n");
        return 1;
    }
    XSetWindowAttributes attributes{};
    attributes.override_redirect = True;
    attributes.background_pixel = kBlack;
    const Window window = XCreateWindow(display, DefaultRootWindow(display), 100, 100, 40, 40, 0, CopyFromParent,
                                        InputOutput, CopyFromParent, CWOverrideRedirect | CWBackPixel, &attributes);
    XMapRaised(display, window);
    XSync(display, False);

    const std::unique_ptr<PlatformInput> platform = createSystemPlatform();
    Player player(*platform);
    InputEvent wait;
    wait.kind = toByte(EventKind::WaitColor);
    wait.x = 120;
    wait.y = 120;
    setWaitColour(wait, kGreen);
    wait.value = 5000;
    const std::vector<InputEvent> script{wait};

    std::mt19937 random(21);
    std::uniform_int_distribution<int> delayMs(20, 60);
    std::vector<double> latencies;
    for (int change = 0; change < kChanges; ++change) {
        paint(display, window, kBlack);
        player.stopRequested = false;
        PassEnd passEnd = PassEnd::Finished;
        std::future<Clock::time_point> ended = std::async(std::launch::async, [&] {
            passEnd = player.play(script);
            return Clock::now();
        });
        std::this_thread::sleep_for(std::chrono::milliseconds(delayMs(random)));
        paint(display, window, kGreen);
        const Clock::time_point changed = Clock::now();
        const Clock::time_point end = ended.get();
        if (passEnd != PassEnd::Finished) {
            std::printf("change %d: the wait did not see the colour\n", change);
            continue;
        }
        latencies.push_back(std::chrono::duration<double, std::milli>(end - changed).count());
    }
    XDestroyWindow(display, window);
    XCloseDisplay(display);
    if (latencies.empty())
        return 1;
    std::sort(latencies.begin(), latencies.end());
    const auto at = [&](double fraction) {
        return latencies[static_cast<std::size_t>(fraction * static_cast<double>(latencies.size() - 1))];
    };
    std::printf("a wait ends after the colour changed: median %.2f ms   p95 %.2f ms   max %.2f ms   (n=%zu; "
                "one look per 10 ms slot)\n",
                at(0.5), at(0.95), at(1.0), latencies.size());
    return 0;
}
