// The recorder's clock: when pointer samples and pauses go into a recording, and that the
// recording then replays each event at its recorded offset.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <tuple>
#include <vector>

#include "capture/recorder.h"
#include "platform/fake/fake_platform.h"
#include "playback/player.h"

namespace {

using std::chrono::microseconds;
using std::chrono::milliseconds;

class RecordingClockTest : public testing::Test {
protected:
    RecordingClockTest() { restart(); }

    void restart()
    {
        recorder.setRecording(true);
        recordingStart = platform.now();
    }
    // Moves the clock to `atUs` after the start and lets a timer tick run there.
    void tickAt(long long atUs)
    {
        platform.advance(microseconds(atUs) - sinceStart());
        ScreenPoint pointer;
        if (platform.cursorPos(pointer))
            recorder.sampleDueSlots(pointer);
    }
    // A press at `atUs` after the start, or a release; padded: as a recording without samples.
    void buttonAt(long long atUs, int message, bool padded = false)
    {
        platform.advance(microseconds(atUs) - sinceStart());
        if (padded)
            recorder.padToNow();
        recorder.onMouseEvent(message, 0);
    }
    microseconds sinceStart()
    {
        return std::chrono::duration_cast<microseconds>(platform.now() - recordingStart);
    }
    std::size_t samples() const
    {
        std::size_t count = 0;
        for (const InputEvent& event : recorder.copyEvents())
            count += isKind(event, EventKind::MousePos);
        return count;
    }
    // Ticks every `periodUs` plus a repeating jitter until `endUs`; the time of the tick that
    // appended each sample, in microseconds. No tick may append more than one sample.
    std::vector<long long> sampleTimes(long long periodUs, long long endUs, std::vector<long long> jitterUs)
    {
        restart();
        std::vector<long long> at;
        std::size_t jitter = 0;
        for (long long t = periodUs; t <= endUs; t += periodUs + jitterUs[jitter++ % jitterUs.size()]) {
            const std::size_t before = samples();
            tickAt(t);
            EXPECT_LE(samples() - before, 1u) << "ticks under 10 ms apart sample once at most";
            if (samples() > before)
                at.push_back(t);
        }
        return at;
    }

    FakePlatform platform;
    Recorder recorder{platform};
    PlatformInput::Clock::time_point recordingStart;
};

TEST_F(RecordingClockTest, PunctualTicksSampleEveryTenthMillisecond)
{
    struct Case {
        long long ticks;
        std::size_t samples;
    };
    for (const Case c : {Case{9, 0}, Case{10, 1}, Case{95, 9}, Case{100, 10}}) {
        SCOPED_TRACE(c.ticks);
        const auto at = sampleTimes(1000, c.ticks * 1000, {0});
        ASSERT_EQ(at.size(), c.samples);
        for (std::size_t k = 0; k < at.size(); ++k)
            EXPECT_EQ(at[k], 10000 * static_cast<long long>(k + 1));
    }
}

TEST_F(RecordingClockTest, LateAndIrregularTicksGiveTheSameSamplesAsPunctualOnes)
{
    struct Case {
        const char* name;
        long long periodUs;
        std::vector<long long> jitterUs;
    };
    for (const Case& c : {Case{"Qt's usual 1.085 ms", 1085, {0}},
                          Case{"jittery", 900, {0, 700, 40, 1300, 0, 250}},
                          Case{"coarse 4 ms", 4000, {0}}}) {
        SCOPED_TRACE(c.name);
        const auto at = sampleTimes(c.periodUs, 95000, c.jitterUs);
        ASSERT_EQ(at.size(), 9u);
        for (std::size_t k = 0; k < at.size(); ++k) {
            const long long slotUs = 10000 * static_cast<long long>(k + 1);
            EXPECT_GE(at[k], slotUs) << "sample " << k << " came before its slot";
            EXPECT_LT(at[k], slotUs + 5300) << "sample " << k << " waited beyond the next tick";
        }
    }
}

TEST_F(RecordingClockTest, AClickTakesASlotSoTheNextSampleWaitsOneSlot)
{
    tickAt(10000);
    tickAt(15000);
    buttonAt(15000, 0x201);
    EXPECT_EQ(recorder.copyEvents().size(), 2u);
    tickAt(29999);
    EXPECT_EQ(samples(), 1u);
    tickAt(30000);
    EXPECT_EQ(samples(), 2u);
}

TEST_F(RecordingClockTest, NotchesWithinASlotShareALineUntilDirectionPlaceOrSlotChanges)
{
    tickAt(10000);
    std::vector<std::pair<int, int>> lines;  // delta, x
    for (const auto& [atUs, x, delta] : {std::tuple{11000, 0, 120}, {13000, 0, 120}, {15000, 0, 120},
                                         {16000, 0, -120}, {17000, 50, -120}, {50000, 50, -120}}) {
        platform.advance(microseconds(atUs) - sinceStart());
        platform.setPointer(x, 0);
        recorder.onMouseEvent(0x20A, delta);
    }
    for (const InputEvent& event : recorder.copyEvents()) {
        if (isKind(event, EventKind::MouseButton))
            lines.emplace_back(event.value, event.x);
    }
    EXPECT_EQ(lines, (std::vector<std::pair<int, int>>{{360, 0}, {-120, 0}, {-120, 50}, {-120, 50}}));
}

TEST_F(RecordingClockTest, AStalledTimerCatchesUpWithNoSlotLostAndNoneDoubled)
{
    tickAt(5000);
    tickAt(57000);  // the window thread was busy for 52 ms
    EXPECT_EQ(samples(), 5u);
    tickAt(58000);
    tickAt(59999);
    EXPECT_EQ(samples(), 5u);
    tickAt(60000);
    EXPECT_EQ(samples(), 6u);
}

TEST_F(RecordingClockTest, StoppingAndStartingAgainRestartsTheClock)
{
    tickAt(35000);
    EXPECT_EQ(samples(), 3u);
    recorder.setRecording(false);
    platform.advance(milliseconds(100));
    restart();
    tickAt(9999);
    EXPECT_EQ(samples(), 0u);
    tickAt(10000);
    EXPECT_EQ(samples(), 1u);
}

// A person's clicks (press, then release 40 to 90 ms later), recorded and then replayed: each
// button event comes back at its recorded offset.
class ReplayPaceTest : public RecordingClockTest {
protected:
    struct Button {
        long long atUs;
        int message;
    };
    static std::vector<Button> clicks(const std::vector<long long>& pressesUs)
    {
        std::vector<Button> buttons;
        const long long holdUs[] = {40000, 90000, 65500};
        for (std::size_t k = 0; k < pressesUs.size(); ++k) {
            buttons.push_back({pressesUs[k], 0x201});
            buttons.push_back({pressesUs[k] + holdUs[k % 3], 0x202});
        }
        return buttons;
    }
    // The replay time of every button event, in milliseconds.
    std::vector<long long> replayedButtonTimes()
    {
        FakePlatform replay;
        Player player(replay);
        player.stopRequested = false;
        EXPECT_EQ(player.play(recorder.copyEvents()), PassEnd::Finished);
        std::vector<long long> at;
        for (const auto& call : replay.calls) {
            if (call.what.rfind("mouse ", 0) == 0)
                at.push_back(call.atMs);
        }
        replayEndMs = replay.elapsedMs();
        return at;
    }
    long long replayEndMs = 0;
};

TEST_F(ReplayPaceTest, SampledRecordingReplaysEachButtonWithinASlotAndSpansTheSameTime)
{
    const auto buttons = clicks({3000, 147500, 300200, 420000, 655000, 1500700});
    std::size_t next = 0;
    std::size_t jitter = 0;
    const long long jitterUs[] = {0, 400, 90, 1700, 30};
    long long t = 1085;
    for (; t <= 2000000; t += 1085 + jitterUs[jitter++ % 5]) {
        while (next < buttons.size() && buttons[next].atUs <= t) {
            buttonAt(buttons[next].atUs, buttons[next].message);
            ++next;
        }
        tickAt(t);
    }
    const auto replayed = replayedButtonTimes();
    ASSERT_EQ(replayed.size(), buttons.size());
    for (std::size_t k = 0; k < replayed.size(); ++k) {
        const long long recordedMs = buttons[k].atUs / 1000;
        EXPECT_GE(replayed[k], recordedMs - 3) << "button event " << k;
        EXPECT_LE(replayed[k], recordedMs + 11) << "button event " << k;
    }
    EXPECT_NEAR(replayEndMs, sinceStart().count() / 1000, 10);
}

TEST_F(ReplayPaceTest, PaddedRecordingReplaysEachButtonWithinASlotOfItsOffset)
{
    const auto buttons = clicks({3000, 100000, 247500, 400200, 1500700, 3600000});
    for (const Button& button : buttons)
        buttonAt(button.atUs, button.message, true);
    EXPECT_EQ(samples(), 0u);
    EXPECT_LE(recorder.copyEvents().size(), 2 * buttons.size()) << "at most one pause per event";
    const auto replayed = replayedButtonTimes();
    ASSERT_EQ(replayed.size(), buttons.size());
    for (std::size_t k = 0; k < replayed.size(); ++k) {
        const long long recordedMs = buttons[k].atUs / 1000;
        EXPECT_GE(replayed[k], recordedMs - 11) << "button event " << k;
        EXPECT_LT(replayed[k], recordedMs + 10) << "button event " << k << " a slot late";
    }
    // A second recording by the same recorder starts without the pauses of the first.
    restart();
    for (const Button& button : buttons)
        buttonAt(button.atUs, button.message, true);
    EXPECT_EQ(replayedButtonTimes(), replayed);
}

}  // namespace
