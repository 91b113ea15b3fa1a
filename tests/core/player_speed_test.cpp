// The player's speed factor and its progress count, on the fake clock.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "platform/fake/fake_platform.h"
#include "playback/player.h"
#include "script/script_codec.h"

namespace {

using testing::ElementsAreArray;

std::vector<InputEvent> script(const std::vector<std::string>& lines)
{
    std::vector<InputEvent> events;
    EXPECT_TRUE(ScriptCodec().fromLines(lines, events));
    return events;
}

TEST(PlayerSpeed, DividesEveryWaitAndPauseByTheFactor)
{
    const std::vector<std::string> lines = {"LOGMOUSEPOS:1:1", "SLEEP:1000:0:0:0:0", "LOGMOUSEPOS:2:2",
                                            "LOGMOUSEPOS:3:3"};
    struct Case {
        double speed;
        std::vector<long long> moves;  // virtual ms of the three pointer moves
    };
    const std::vector<Case> cases = {
        {1.0, {10, 1030, 1040}},
        {2.0, {5, 515, 520}},
        {0.5, {20, 2060, 2080}},
        {10.0, {1, 103, 104}},
        {0.1, {100, 10300, 10400}},
    };
    for (const Case& c : cases) {
        FakePlatform platform;
        Player player(platform);
        player.stopRequested = false;
        player.setSpeed(c.speed);
        EXPECT_EQ(player.play(script(lines)), PassEnd::Finished);
        std::vector<long long> moves;
        for (const auto& call : platform.calls)
            moves.push_back(call.atMs);
        EXPECT_THAT(moves, ElementsAreArray(c.moves)) << "speed " << c.speed;
    }
}

TEST(PlayerSpeed, CountsTheEventsSentInTheRunningPass)
{
    FakePlatform platform;
    Player player(platform);
    player.stopRequested = false;
    std::vector<std::size_t> seen;
    platform.afterSleep = [&](long long) { seen.push_back(player.eventsPlayed); };
    const auto events = script({"LOGMOUSEPOS:1:1", "LOGMOUSEPOS:2:2", "LOGMOUSEPOS:3:3"});
    EXPECT_EQ(player.play(events), PassEnd::Finished);
    EXPECT_EQ(player.eventsPlayed, 3u);
    EXPECT_THAT(seen, ElementsAreArray({0u, 1u, 2u}));

    // A new pass starts counting afresh, and a stopped pass counts only what it sent.
    platform.afterSleep = [&](long long atMs) {
        if (atMs >= 40)
            player.stopRequested = true;
    };
    EXPECT_EQ(player.play(events), PassEnd::Stopped);
    EXPECT_EQ(player.eventsPlayed, 1u);
}

TEST(PlayerPace, LateWakeUpsDoNotAddUpButAStallIsNotCaughtUpInABurst)
{
    struct Case {
        const char* what;
        std::chrono::microseconds lateBy;  // on every wake-up
        long long stallAtMs;               // one wake-up 35 ms late there; 0: none
        std::vector<long long> moves;      // virtual ms of the moves
    };
    const std::vector<Case> cases = {
        {"on time", std::chrono::microseconds(0), 0, {10, 20, 30, 40, 50}},
        {"each wake-up 0.4 ms late", std::chrono::microseconds(400), 0, {10, 20, 30, 40, 50}},
        {"a stall", std::chrono::microseconds(0), 20, {10, 55, 65, 75, 85}},
    };
    for (const Case& c : cases) {
        FakePlatform platform;
        Player player(platform);
        player.stopRequested = false;
        platform.afterSleep = [&](long long atMs) {
            platform.advance(atMs == c.stallAtMs ? std::chrono::microseconds(35000) : c.lateBy);
        };
        EXPECT_EQ(player.play(script({"LOGMOUSEPOS:1:1", "LOGMOUSEPOS:2:2", "LOGMOUSEPOS:3:3",
                                      "LOGMOUSEPOS:4:4", "LOGMOUSEPOS:5:5"})),
                  PassEnd::Finished);
        std::vector<long long> moves;
        for (const auto& call : platform.calls)
            moves.push_back(call.atMs);
        EXPECT_THAT(moves, ElementsAreArray(c.moves)) << c.what;
    }
}

}  // namespace
