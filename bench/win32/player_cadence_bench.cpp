// How closely a playback keeps its 10 ms cadence: 1,000 pointer samples played at the system's
// default timer tick and with the 1 ms timer resolution the backend asks for during playback.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

#include "platform/win32/win32_platform.h"
#include "playback/player.h"

namespace {

using Milliseconds = std::chrono::duration<double, std::milli>;

// Stamps every pointer move; with precise timing off, the player's requests are not passed on.
class CadenceProbe : public Win32Platform {
public:
    explicit CadenceProbe(bool preciseTiming) : preciseTiming(preciseTiming) {}

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

void measure(const char* label, bool preciseTiming)
{
    constexpr int kSamples = 1000;
    std::vector<InputEvent> events(kSamples);
    for (int i = 0; i < kSamples; ++i) {
        events[i].kind = toByte(EventKind::MousePos);
        events[i].x = static_cast<std::uint16_t>(100 + i % 200);
        events[i].y = 300;
    }
    CadenceProbe platform(preciseTiming);
    platform.moves.reserve(kSamples);
    Player player(platform);
    player.stopRequested = false;

    const auto start = platform.now();
    player.play(events);
    const Milliseconds total = platform.now() - start;

    std::vector<double> gaps;
    for (std::size_t i = 1; i < platform.moves.size(); ++i)
        gaps.push_back(Milliseconds(platform.moves[i] - platform.moves[i - 1]).count());
    std::sort(gaps.begin(), gaps.end());
    std::printf("%-26s total %7.3f s (%+.1f%% against 10 s)  gap median %6.3f ms  p99 %6.3f ms  worst %6.3f ms\n",
                label, total.count() / 1000, (total.count() / 10000 - 1) * 100, gaps[gaps.size() / 2],
                gaps[gaps.size() * 99 / 100], gaps.back());
}

}  // namespace

int main()
{
    std::printf("Player cadence, %d pointer samples, 10 ms before each:\n", 1000);
    measure("default timer resolution", false);
    measure("1 ms timer resolution", true);
}
