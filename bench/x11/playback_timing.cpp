// Plays a 1,000-sample pointer script with the real Player and reports the cadence an observer
// window sees (median and worst gap between consecutive moves, total against the 10 s floor),
// then how long play takes to return once stopRequested is set during an endless pause.
// Usage: xvfb-run -a tamblo_x11_playback_timing
#include <X11/Xlib.h>
#include <poll.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <future>
#include <random>
#include <thread>
#include <vector>

#include "bench_stats.h"
#include "platform/system_platform.h"
#include "playback/player.h"
#include "tests/x11/screen_window.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kSamples = 1000;
constexpr int kStops = 50;

// A window over the whole screen that stamps each pointer move on arrival, on its own thread.
class MotionObserver {
public:
    MotionObserver() : display(XOpenDisplay(nullptr))
    {
        window = createScreenWindow(display, PointerMotionMask);
        reader = std::thread([this] { read(); });
    }

    ~MotionObserver()
    {
        reader.join();
        XDestroyWindow(display, window);
        XCloseDisplay(display);
    }

    // Waits for the script's moves and returns their arrival times.
    std::vector<Clock::time_point> arrivals() { return done.get_future().get(); }

private:
    void read()
    {
        std::vector<Clock::time_point> seen;
        pollfd connection{ConnectionNumber(display), POLLIN, 0};
        // Gives up once nothing has arrived for a second, so a lost move cannot hang the run.
        while (static_cast<int>(seen.size()) < kSamples) {
            if (!XPending(display) && poll(&connection, 1, 1000) != 1)
                break;
            while (XPending(display)) {
                XEvent event;
                XNextEvent(display, &event);
                if (event.type == MotionNotify)
                    seen.push_back(Clock::now());
            }
        }
        done.set_value(std::move(seen));
    }

    Display* display;
    Window window = 0;
    std::promise<std::vector<Clock::time_point>> done;
    std::thread reader;
};

void cadence(PlatformInput& platform)
{
    std::vector<InputEvent> script(kSamples);
    for (int index = 0; index < kSamples; ++index) {
        script[static_cast<std::size_t>(index)].kind = toByte(EventKind::MousePos);
        script[static_cast<std::size_t>(index)].x = static_cast<std::uint16_t>(200 + (index % 2) * 300);
        script[static_cast<std::size_t>(index)].y = static_cast<std::uint16_t>(300);
    }
    platform.setCursorPos(100, 100);
    MotionObserver observer;
    Player player(platform);
    player.stopRequested = false;
    const Clock::time_point begin = Clock::now();
    player.play(script);
    const Clock::duration total = Clock::now() - begin;
    const std::vector<Clock::time_point> seen = observer.arrivals();

    std::vector<std::chrono::nanoseconds> gaps;
    for (std::size_t index = 1; index < seen.size(); ++index)
        gaps.push_back(seen[index] - seen[index - 1]);
    const double seconds = std::chrono::duration<double>(total).count();
    std::printf("Playback of %d pointer samples (floor 10 ms each)\n", kSamples);
    std::printf("  total %.3f s for %zu moves seen: %+.2f%% over the %.0f s floor\n", seconds, seen.size(),
                (seconds / (kSamples * 0.010) - 1.0) * 100.0, kSamples * 0.010);
    printDurations("  gap between consecutive moves seen", gaps);
}

void stopLatency(PlatformInput& platform)
{
    InputEvent endless;
    endless.kind = toByte(EventKind::Sleep);
    endless.value = -1;
    const std::vector<InputEvent> script{endless};
    std::mt19937 random(7);
    std::uniform_int_distribution<int> into(20, 60);
    std::vector<std::chrono::nanoseconds> latencies;
    for (int stop = 0; stop < kStops; ++stop) {
        Player player(platform);
        player.stopRequested = false;
        std::atomic<Clock::time_point> returned{};
        std::thread playing([&] {
            player.play(script);
            returned = Clock::now();
        });
        std::this_thread::sleep_for(std::chrono::milliseconds(into(random)));
        const Clock::time_point stopped = Clock::now();
        player.stopRequested = true;
        playing.join();
        latencies.push_back(returned.load() - stopped);
    }
    std::printf("Stop during an endless pause (target at most 15 ms)\n");
    printDurations("  stopRequested set -> play returned", latencies);
}

}  // namespace

int main()
{
    const auto platform = createSystemPlatform();
    ScreenPoint probe;
    if (!platform->cursorPos(probe)) {
        std::fprintf(stderr, "needs an X display with XTEST (DISPLAY)\n");
        return 1;
    }
    cadence(*platform);
    stopLatency(*platform);
    return 0;
}
