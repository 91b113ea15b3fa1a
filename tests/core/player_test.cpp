#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "platform/fake/fake_platform.h"
#include "playback/player.h"
#include "script/script_codec.h"

namespace {

using testing::ElementsAre;

class PlayerTest : public testing::Test {
protected:
    PlayerTest() { player.stopRequested = false; }

    std::vector<InputEvent> script(const std::vector<std::string>& lines)
    {
        std::vector<InputEvent> events;
        EXPECT_TRUE(ScriptCodec().fromLines(lines, events));
        return events;
    }

    // The virtual time of each recorded call, in order.
    std::vector<long long> times() const
    {
        std::vector<long long> at;
        for (const auto& call : platform.calls)
            at.push_back(call.atMs);
        return at;
    }

    FakePlatform platform;
    Player player{platform};
};

TEST(PlayerConstruction, StartsWithStopRequestedAndPlaysNothing)
{
    FakePlatform platform;
    Player player(platform);
    EXPECT_TRUE(player.stopRequested);
    EXPECT_EQ(player.play({InputEvent{}}), PassEnd::Stopped);
    EXPECT_TRUE(platform.calls.empty());
    EXPECT_EQ(platform.elapsedMs(), 0);
}

TEST_F(PlayerTest, EmptyListWaitsOneSlotSoALoopOverItIdles)
{
    EXPECT_EQ(player.play({}), PassEnd::Finished);
    EXPECT_EQ(platform.elapsedMs(), 10);
    EXPECT_TRUE(platform.calls.empty());
}

TEST_F(PlayerTest, EachEventFollowsA10msWaitAndKeysMoveThePointerFirst)
{
    EXPECT_EQ(player.play(script({"RBUTTONDOWN:300:200", "RBUTTONUP:300:200", "LOGMOUSEPOS:1:2",
                                     "KEYDOWN:10:20:65", "KEYUP:10:20:65", "MBUTTONUNUP:65535:0"})), PassEnd::Finished);
    EXPECT_THAT(platform.callTexts(),
                ElementsAre("move 300 200", "mouse 0x8", "move 300 200", "mouse 0x10", "move 1 2",
                            "move 10 20", "key 65 0x0", "move 10 20", "key 65 0x2", "move -1 0",
                            "mouse 0x40"));
    EXPECT_THAT(times(), ElementsAre(10, 10, 20, 20, 30, 40, 40, 50, 50, 60, 60));
    EXPECT_EQ(platform.preciseTimingDepth, 0);
}

TEST_F(PlayerTest, PointerMovesReadCoordinatesAsSigned16Bit)
{
    const struct {
        const char* line;
        const char* move;
    } cases[] = {
        {"LOGMOUSEPOS:65526:65516", "move -10 -20"},
        {"LOGMOUSEPOS:-10:-20", "move -10 -20"},  // the reader keeps the low 16 bits
        {"LBUTTONDOWN:32768:32767", "move -32768 32767"},
        {"RBUTTONUP:1920:65535", "move 1920 -1"},
        {"KEYDOWN:65436:0:65", "move -100 0"},
        {"LOGMOUSEPOS:0:65536", "move 0 0"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        platform.calls.clear();
        EXPECT_EQ(player.play(script({c.line})), PassEnd::Finished);
        ASSERT_FALSE(platform.calls.empty());
        EXPECT_EQ(platform.calls.front().what, c.move);
    }
}

TEST_F(PlayerTest, PausesAddTheirLengthAndTheNextEventWaitsAfterThem)
{
    EXPECT_EQ(player.play(script({"SLEEP:1000:0:0:0:0", "LBUTTONDOWN:1:1", "LBUTTONUP:1:1"})), PassEnd::Finished);
    EXPECT_THAT(times(), ElementsAre(1020, 1020, 1030, 1030));
}

TEST_F(PlayerTest, WaitsRunToAbsoluteDeadlinesWhateverInjectionCosts)
{
    // Each injected input costs 3 ms here; a wait measured from the end of the previous event
    // would drift by that much per event.
    platform.setInjectionCost(std::chrono::milliseconds(3));
    EXPECT_EQ(player.play(script({"LBUTTONDOWN:1:1", "LBUTTONUP:1:1", "SLEEP:100:0:0:0:0",
                                     "LOGMOUSEPOS:5:5", "KEYDOWN:1:1:65", "KEYUP:1:1:65"})), PassEnd::Finished);
    EXPECT_THAT(times(), ElementsAre(10, 13, 20, 23, 140, 150, 153, 160, 163));
}

TEST_F(PlayerTest, UnplayableEventsEndThePassWithFalse)
{
    auto events = script({"LOGMOUSEPOS:1:1", "LOGMOUSEPOS:2:2"});
    events.insert(events.begin() + 1, InputEvent{});
    events[1].kind = 9;
    EXPECT_EQ(player.play(events), PassEnd::UnplayableEvent);
    EXPECT_THAT(platform.callTexts(), ElementsAre("move 1 1"));

    platform.calls.clear();
    platform.failPointerMoves(true);
    EXPECT_EQ(player.play(script({"LOGMOUSEPOS:1:1"})), PassEnd::Finished);  // a failed sample move is ignored
    EXPECT_EQ(player.play(script({"LBUTTONDOWN:1:1", "LOGMOUSEPOS:2:2"})), PassEnd::PointerNotMoved);
    EXPECT_THAT(platform.callTexts(), ElementsAre("move 1 1", "move 1 1"));
}

TEST_F(PlayerTest, StopEndsALongPauseWithin10msAndReleasesWhatIsHeld)
{
    // A negative pause reads as weeks; only the stop flag can end it.
    platform.afterSleep = [this](long long atMs) {
        if (atMs >= 5000)
            player.stopRequested = true;
    };
    EXPECT_EQ(player.play(script({"LBUTTONDOWN:5:5", "RBUTTONDOWN:5:5", "KEYDOWN:5:5:16",
                                     "KEYDOWN:5:5:65", "KEYUP:5:5:16", "LBUTTONUP:5:5",
                                     "LBUTTONDOWN:6:6", "SLEEP:-1:0:0:0:0", "LOGMOUSEPOS:9:9"})), PassEnd::Stopped);
    EXPECT_LE(platform.elapsedMs(), 5000 + 10);
    const auto texts = platform.callTexts();
    ASSERT_GE(texts.size(), 3u);
    EXPECT_THAT(std::vector<std::string>(texts.end() - 3, texts.end()),
                ElementsAre("mouse 0x4", "key 65 0x2", "mouse 0x10"));  // the last pressed first
    EXPECT_EQ(std::count(texts.begin(), texts.end(), "move 9 9"), 0);
}

TEST_F(PlayerTest, StopIsSeenBeforeTheNextEventAndAFailedPassReleasesToo)
{
    platform.afterSleep = [this](long long atMs) {
        if (atMs >= 20)
            player.stopRequested = true;
    };
    EXPECT_EQ(player.play(script({"LBUTTONDOWN:1:1", "LOGMOUSEPOS:2:2", "LOGMOUSEPOS:3:3"})), PassEnd::Stopped);
    EXPECT_THAT(platform.callTexts(), ElementsAre("move 1 1", "mouse 0x2", "move 2 2", "mouse 0x4"));

    platform.calls.clear();
    platform.afterSleep = nullptr;
    player.stopRequested = false;
    auto events = script({"MBUTTONDOWN:1:1", "XBUTTONDOWN:1:1:2", "MOUSEWHEEL:3:4:-240", "XBUTTONDOWN:1:1:1",
                          "XBUTTONUP:1:1:1"});
    events.push_back(InputEvent{});
    events.back().kind = 0x63;
    EXPECT_EQ(player.play(events), PassEnd::UnplayableEvent);
    EXPECT_THAT(platform.callTexts(),
                ElementsAre("move 1 1", "mouse 0x20", "move 1 1", "mouse 0x80 2", "move 3 4", "mouse 0x800 -240",
                            "move 1 1", "mouse 0x80 1", "move 1 1", "mouse 0x100 1", "mouse 0x100 2", "mouse 0x40"));
}

TEST_F(PlayerTest, HeldKeysAreReleasedInReverseOrderOfPressing)
{
    // Shift, Control, Shift again (auto-repeat: still the first press), A, then the pass ends early.
    const std::vector<std::string> presses = {"KEYDOWN:1:1:16", "KEYDOWN:1:1:17", "KEYDOWN:1:1:16",
                                              "KEYDOWN:1:1:65", "KEYDOWN:1:1:18", "KEYUP:1:1:18"};
    const struct {
        const char* name;
        bool stop;  // stopped by the flag, or ended by an event it cannot play
    } cases[] = {{"stopped", true}, {"unplayable event", false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        platform.calls.clear();
        player.stopRequested = false;
        auto events = script(presses);
        events.push_back(InputEvent{});
        events.back().kind = c.stop ? toByte(EventKind::MousePos) : 9;
        platform.afterSleep = [&](long long) {
            if (c.stop && platform.calls.size() == 2 * presses.size())
                player.stopRequested = true;
        };
        EXPECT_EQ(player.play(events), c.stop ? PassEnd::Stopped : PassEnd::UnplayableEvent);
        const auto texts = platform.callTexts();
        ASSERT_GE(texts.size(), 3u);
        EXPECT_THAT(std::vector<std::string>(texts.end() - 3, texts.end()),
                    ElementsAre("key 65 0x2", "key 17 0x2", "key 16 0x2"));
    }
}

TEST_F(PlayerTest, InputThatWouldBeLostStopsThePassBeforeItAndReleasesWhatIsHeld)
{
    // Shift at 10 ms, the button at 20, a sample at 30, a pause from 40 to 1040, the releases after.
    const auto events = script({"KEYDOWN:1:1:16", "LBUTTONDOWN:2:2", "LOGMOUSEPOS:3:3", "SLEEP:1000:0:0:0:0",
                                "LBUTTONUP:2:2", "KEYUP:1:1:16"});
    const struct {
        const char* name;
        long long fromMs;
        std::function<void(FakePlatform&)> block;
        PassEnd end;
        std::vector<std::string> calls;
    } cases[] = {
        {"elevated target", 20, [](FakePlatform& p) { p.setTargetBarrier(InputBarrier::ElevatedTarget); },
         PassEnd::ElevatedTarget, {"move 1 1", "key 16 0x0", "key 16 0x2"}},
        {"suspend before a sample", 30, [](FakePlatform& p) { p.setDesktopBarrier(InputBarrier::Suspended); },
         PassEnd::Suspended, {"move 1 1", "key 16 0x0", "move 2 2", "mouse 0x2", "mouse 0x4", "key 16 0x2"}},
        {"lock during the pause", 500, [](FakePlatform& p) { p.setDesktopBarrier(InputBarrier::LockedDesktop); },
         PassEnd::LockedDesktop,
         {"move 1 1", "key 16 0x0", "move 2 2", "mouse 0x2", "move 3 3", "mouse 0x4", "key 16 0x2"}},
        {"refused injection", 20, [](FakePlatform& p) { p.failInjections(true); }, PassEnd::InputRefused,
         {"move 1 1", "key 16 0x0", "move 2 2", "mouse 0x2", "key 16 0x2"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        FakePlatform target;
        Player blocked(target);
        blocked.stopRequested = false;
        target.afterSleep = [&](long long atMs) {
            if (atMs >= c.fromMs)
                c.block(target);
        };
        EXPECT_EQ(blocked.play(events), c.end);
        EXPECT_EQ(target.callTexts(), c.calls);
        EXPECT_LE(target.elapsedMs(), std::max(c.fromMs, 40LL) + 10);
        // Asked for the key and the button only: pointer samples and pauses ask nothing.
        EXPECT_LE(target.targetQueries, 2);
    }
}

TEST_F(PlayerTest, ACompletedPassLeavesTheScriptsOwnPressesAlone)
{
    EXPECT_EQ(player.play(script({"LBUTTONDOWN:1:1"})), PassEnd::Finished);
    EXPECT_THAT(platform.callTexts(), ElementsAre("move 1 1", "mouse 0x2"));
}

TEST_F(PlayerTest, ColourWaitsCostNoSlotWhenSatisfiedAndEndInTheSlotOfTheColour)
{
    const struct {
        const char* name;
        const char* wait;
        long long paintAtMs;  // -1: there before the pass; -2: never
        long long stopAtMs;   // -1: never
        PassEnd end;
        std::vector<std::string> calls;
        long long lastCallAtMs;
    } cases[] = {
        {"already there", "WAITCOLOR:50:60:65280:8:100", -1, -1, PassEnd::Finished,
         {"move 5 5", "mouse 0x2", "move 5 5", "mouse 0x4"}, 20},
        {"after 35 ms", "WAITCOLOR:50:60:65280:8:100", 35, -1, PassEnd::Finished,
         {"move 5 5", "mouse 0x2", "move 5 5", "mouse 0x4"}, 50},
        {"timed out", "WAITCOLOR:50:60:65280:8:100", -2, -1, PassEnd::ColourNeverCame,
         {"move 5 5", "mouse 0x2", "mouse 0x4"}, 110},
        {"stopped during the wait", "WAITCOLOR:50:60:65280:8:100000", -2, 53, PassEnd::Stopped,
         {"move 5 5", "mouse 0x2", "mouse 0x4"}, 55},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        FakePlatform screen;
        Player waiting(screen);
        waiting.stopRequested = false;
        // Off by the tolerance on green and blue, and something else until it comes.
        screen.paint(50, 60, c.paintAtMs == -1 ? 0x00F708 : 0x123456);
        screen.afterSleep = [&](long long atMs) {
            if (c.paintAtMs >= 0 && atMs >= c.paintAtMs)
                screen.paint(50, 60, 0x00FF00);
            if (c.stopAtMs >= 0 && atMs >= c.stopAtMs)
                waiting.stopRequested = true;
        };
        EXPECT_EQ(waiting.play(script({"LBUTTONDOWN:5:5", c.wait, "LBUTTONUP:5:5"})), c.end);
        EXPECT_EQ(screen.callTexts(), c.calls);
        EXPECT_EQ(screen.calls.back().atMs, c.lastCallAtMs);
        if (c.end == PassEnd::ColourNeverCame) {
            EXPECT_EQ(waiting.eventsPlayed, 1u);
            EXPECT_EQ(waiting.colourSeen(), std::optional<std::uint32_t>(0x123456));
        }
    }
}

TEST_F(PlayerTest, APauseReleasesWhatIsHeldPressesItAgainAndDoesNotCountAgainstThePauses)
{
    platform.afterSleep = [this](long long atMs) { player.pauseRequested = atMs >= 60 && atMs < 1000; };
    EXPECT_EQ(player.play(script({"LBUTTONDOWN:5:5", "KEYDOWN:5:5:16", "SLEEP:100:0:0:0:0", "LOGMOUSEPOS:7:7",
                                   "KEYUP:5:5:16", "LBUTTONUP:7:7"})),
              PassEnd::Finished);
    EXPECT_THAT(platform.callTexts(),
                ElementsAre("move 5 5", "mouse 0x2", "move 5 5", "key 16 0x0", "key 16 0x2", "mouse 0x4", "move 5 5",
                            "mouse 0x2", "key 16 0x0", "move 7 7", "move 5 5", "key 16 0x2", "move 7 7", "mouse 0x4"));
    // The script's pause ran from 30 to 60, and its other 70 ms after the resume at 1000.
    EXPECT_EQ(platform.calls[9].atMs, 1000 + 70 + 10);
}

}  // namespace
