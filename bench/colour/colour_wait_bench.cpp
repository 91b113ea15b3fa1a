// What a colour wait costs on this system's screen: one pixel read (median and p95 over 1,000
// reads), and the pace of a script of 100 colour waits that are already satisfied, each followed
// by a click, against the same script without the waits (the goal: within 1 %).
// Usage: xvfb-run -a tamblo_colour_wait_bench; on Windows (or under Wine) tamblo_colour_wait_bench.exe
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <memory>
#include <vector>

#include "platform/system_platform.h"
#include "playback/player.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kReads = 1000;
constexpr int kClicks = 100;
constexpr int kRounds = 3;
// An empty corner of the screen, clicked on and looked at.
constexpr int kX = 5;
constexpr int kY = 5;

double percentile(std::vector<double> values, double fraction)
{
    std::sort(values.begin(), values.end());
    return values[static_cast<std::size_t>(fraction * static_cast<double>(values.size() - 1))];
}

InputEvent at(EventKind kind, std::uint32_t flags = 0)
{
    InputEvent event;
    event.kind = toByte(kind);
    setInjectionFlags(event, flags);
    event.x = kX;
    event.y = kY;
    return event;
}

std::vector<InputEvent> clicks(bool withWaits, std::uint32_t colour)
{
    std::vector<InputEvent> script;
    InputEvent wait = at(EventKind::WaitColor);
    setWaitColour(wait, colour);
    wait.value = 1000;
    for (int i = 0; i < kClicks; ++i) {
        if (withWaits)
            script.push_back(wait);
        script.push_back(at(EventKind::MouseButton, win::MouseLeftDown));
        script.push_back(at(EventKind::MouseButton, win::MouseLeftUp));
    }
    return script;
}

double passMs(Player& player, const std::vector<InputEvent>& script)
{
    player.stopRequested = false;
    const Clock::time_point start = Clock::now();
    const PassEnd end = player.play(script);
    const double ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    if (end != PassEnd::Finished)
        std::printf("  a pass did not finish\n");
    return ms;
}

}  // namespace

int main()
{
    const std::unique_ptr<PlatformInput> platform = createSystemPlatform();
    std::uint32_t colour = 0;
    if (!platform->screenPixel(kX, kY, colour)) {
        std::printf("the screen cannot be read at %d,%d\n", kX, kY);
        return 1;
    }
    std::vector<double> reads;
    for (int i = 0; i < kReads; ++i) {
        std::uint32_t rgb = 0;
        const Clock::time_point start = Clock::now();
        platform->screenPixel(kX, kY, rgb);
        reads.push_back(std::chrono::duration<double, std::micro>(Clock::now() - start).count());
    }
    std::printf("one pixel read:  median %8.1f us   p95 %8.1f us   (n=%d)\n", percentile(reads, 0.5),
                percentile(reads, 0.95), kReads);

    Player player(*platform);
    const std::vector<InputEvent> plain = clicks(false, colour);
    const std::vector<InputEvent> waiting = clicks(true, colour);
    std::vector<double> plainMs;
    std::vector<double> waitingMs;
    for (int round = 0; round < kRounds; ++round) {
        plainMs.push_back(passMs(player, plain));
        waitingMs.push_back(passMs(player, waiting));
    }
    const double without = percentile(plainMs, 0.5);
    const double with = percentile(waitingMs, 0.5);
    const double change = (with - without) / without * 100.0;
    std::printf("%d clicks:                 %8.1f ms (median of %d passes; 10 ms an event gives %d ms)\n", kClicks,
                without, kRounds, kClicks * 2 * 10);
    std::printf("%d clicks, each after a satisfied colour wait: %8.1f ms, %+.2f %%: %s\n", kClicks, with, change,
                std::abs(change) <= 1.0 ? "within 1 %" : "NOT within 1 %");
    return std::abs(change) <= 1.0 ? 0 : 1;
}
