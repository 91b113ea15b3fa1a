// How closely a playback keeps its 10 ms cadence: 1,000 pointer samples played at the system's
// default timer tick and with the timing the backend asks for during playback. Prints the way of
// waiting that ran, the replay's span against the script's (1.000 is the recorded pace) and each
// event's lateness past its deadline.
// TAMBLO_CADENCE_BENCH_WAIT=sleep forces the timeBeginPeriod and Sleep way, as where no
// high-resolution timer can be made.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/win32/win32_platform.h"
#include "playback/player.h"

namespace {

using Milliseconds = std::chrono::duration<double, std::milli>;
constexpr int kSamples = 1000;
constexpr double kWaitMs = 10;

// Stamps every pointer move; with precise timing off, the player's requests are not passed on.
class CadenceProbe : public Win32Platform {
public:
    CadenceProbe(PlaybackWait::Way wait, bool preciseTiming) : Win32Platform(wait), preciseTiming(preciseTiming) {}

    bool setCursorPos(int x, int y) override
    {
        moves.push_back(now());
        return Win32Platform::setCursorPos(x, y);
    }
    void beginPreciseTiming() override
    {
        if (preciseTiming)
            Win32Platform::beginPreciseTiming();
    }
    void endPreciseTiming() override
    {
        if (preciseTiming)
            Win32Platform::endPreciseTiming();
    }

    std::vector<Clock::time_point> moves;

private:
    const bool preciseTiming;
};

void measure(PlaybackWait::Way wait, const char* label, bool preciseTiming)
{
    std::vector<InputEvent> events(kSamples);
    for (int i = 0; i < kSamples; ++i) {
        events[i].kind = toByte(EventKind::MousePos);
        events[i].x = static_cast<std::uint16_t>(100 + i % 200);
        events[i].y = 300;
    }
    CadenceProbe platform(wait, preciseTiming);
    platform.moves.reserve(kSamples);
    Player player(platform);
    player.stopRequested = false;

    const auto start = platform.now();
    player.play(events);
    const Milliseconds span = platform.moves.back() - start;

    // Each event is due 10 ms after the one before it was sent.
    std::vector<double> late;
    for (std::size_t i = 0; i < platform.moves.size(); ++i) {
        const auto sent = i == 0 ? start : platform.moves[i - 1];
        late.push_back(Milliseconds(platform.moves[i] - sent).count() - kWaitMs);
    }
    std::sort(late.begin(), late.end());
    std::printf("%-26s span ratio %.4f  per-event error median %6.3f ms  p99 %6.3f ms  worst %7.3f ms\n", label,
                span.count() / (kSamples * kWaitMs), late[late.size() / 2], late[late.size() * 99 / 100], late.back());
}

}  // namespace

int main()
{
    const char* forced = std::getenv("TAMBLO_CADENCE_BENCH_WAIT");
    const PlaybackWait::Way wait = forced && std::strcmp(forced, "sleep") == 0 ? PlaybackWait::Way::SleepAtOneMillisecond
                                                                              : PlaybackWait::Way::HighResolutionTimer;
    const bool timer = Win32Platform(wait).waitingWay() == PlaybackWait::Way::HighResolutionTimer;
    std::printf("Player cadence, %d pointer samples, %.0f ms before each; waiting on %s:\n", kSamples, kWaitMs,
                timer ? "a high-resolution waitable timer" : "Sleep after timeBeginPeriod(1)");
    measure(wait, "default timer resolution", false);
    measure(wait, "playback timing", true);
}
