// The guardian process: what it learns, and what it undoes once the player's process is killed.
#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <X11/keysym.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <future>
#include <thread>

#include "child_process.h"
#include "guardian/held_input_ledger.h"
#include "platform/system_platform.h"
#include "platform/x11/xtest_injector.h"
#include "tests/x11/held_input_check.h"
#include "x11_test_support.h"

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;
using std::chrono::seconds;
using Op = HeldInputLedger::Op;
using Input = HeldInputLedger::Input;

struct LedgerCase {
    const char* name;
    std::vector<std::pair<Op, std::uint8_t>> messages;
    std::vector<Input> releaseOrder;
    std::vector<std::uint8_t> bound;
};

class LedgerTest : public ::testing::TestWithParam<LedgerCase> {};

TEST_P(LedgerTest, ReleasesWhatIsStillHeldInReverseOrderAndUnbindsWhatIsStillBound)
{
    const LedgerCase& example = GetParam();
    std::string stream;
    for (const auto& [op, code] : example.messages)
        stream += HeldInputLedger::message(op, code);
    // Whole, and split at every possible point: a message may arrive in two reads.
    for (std::size_t split = 0; split <= stream.size(); ++split) {
        HeldInputLedger ledger;
        ledger.feed(stream.data(), split);
        ledger.feed(stream.data() + split, stream.size() - split);
        EXPECT_EQ(ledger.releaseOrder(), example.releaseOrder) << "split at " << split;
        EXPECT_EQ(ledger.boundKeycodes(), example.bound) << "split at " << split;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Messages, LedgerTest,
    ::testing::Values(
        LedgerCase{"Nothing", {}, {}, {}},
        LedgerCase{"PressedAndReleased",
                   {{Op::ButtonDown, 1}, {Op::ButtonUp, 1}, {Op::KeyDown, 38}, {Op::KeyUp, 38}}, {}, {}},
        LedgerCase{"KeysAndButtonsInReverseOrderOfPressing",
                   {{Op::KeyDown, 50}, {Op::ButtonDown, 3}, {Op::KeyDown, 37}, {Op::KeyDown, 38}, {Op::KeyUp, 37}},
                   {{false, 38}, {true, 3}, {false, 50}},
                   {}},
        LedgerCase{"AButtonAndAKeyWithTheSameNumberAreTwoInputs",
                   {{Op::ButtonDown, 2}, {Op::KeyDown, 2}, {Op::ButtonUp, 2}}, {{false, 2}}, {}},
        LedgerCase{"ARepeatedPressIsHeldOnceFromItsFirstPress",
                   {{Op::KeyDown, 50}, {Op::KeyDown, 38}, {Op::KeyDown, 50}}, {{false, 38}, {false, 50}}, {}},
        LedgerCase{"AReleaseOfSomethingNotHeldChangesNothing",
                   {{Op::ButtonUp, 1}, {Op::KeyUp, 9}, {Op::Unbind, 8}, {Op::ButtonDown, 1}}, {{true, 1}}, {}},
        LedgerCase{"BoundKeycodesStayUntilUnbound",
                   {{Op::Bind, 8}, {Op::KeyDown, 8}, {Op::Bind, 9}, {Op::KeyUp, 8}, {Op::Unbind, 8}, {Op::Bind, 10}},
                   {},
                   {9, 10}},
        LedgerCase{"UnknownOperationsAreSkipped",
                   {{static_cast<Op>(0), 1}, {static_cast<Op>(200), 2}, {Op::ButtonDown, 1}}, {{true, 1}}, {}}),
    [](const ::testing::TestParamInfo<LedgerCase>& info) { return std::string(info.param.name); });

// A link whose starts and sends a test decides; a guardian whose line broke does not end before
// the link does, and a collection that waits gives up after a second, as the real one does.
class FakeGuardianLink : public GuardianLink {
public:
    using GuardianLink::Sent;
    using GuardianLink::Spawned;
    FakeGuardianLink(std::vector<Spawned> spawns, std::vector<Sent> sends) : spawns(std::move(spawns)), sends(std::move(sends)) {}
    ~FakeGuardianLink() override
    {
        ending = true;
        stop();
    }
    std::atomic<int> spawned{0};
    int delivered = 0;

private:
    bool running() const override { return live; }
    Spawned spawn() override
    {
        const auto at = static_cast<std::size_t>(spawned++);
        live = at >= spawns.size() || spawns[at] == Spawned::Started;
        return at < spawns.size() ? spawns[at] : Spawned::Started;
    }
    Sent send(const std::string&) override
    {
        const Sent result = sent < sends.size() ? sends[sent] : Sent::Whole;
        ++sent;
        delivered += result == Sent::Whole;
        return result;
    }
    std::intptr_t endLine() override
    {
        live = false;
        return spawned;
    }
    bool collect(std::intptr_t, bool wait) override
    {
        for (const auto giveUp = Clock::now() + seconds(1); wait && !ending && Clock::now() < giveUp;)
            std::this_thread::sleep_for(milliseconds(1));
        return ending || wait;
    }
    void debugOutput(const char*) override {}

    std::vector<Spawned> spawns;
    std::vector<Sent> sends;
    std::size_t sent = 0;
    bool live = false;
    std::atomic<bool> ending{false};
};
using Spawned = FakeGuardianLink::Spawned;
using Sent = FakeGuardianLink::Sent;

struct LinkCase {
    const char* name;
    std::vector<Spawned> spawns;
    std::vector<Sent> sends;
    int tells, spawned, delivered;
};

class LinkTest : public ::testing::TestWithParam<LinkCase> {};

TEST_P(LinkTest, RestartsABrokenGuardianAndGivesUpAfterThreeStarts)
{
    FakeGuardianLink link(GetParam().spawns, GetParam().sends);
    for (int i = 0; i < GetParam().tells; ++i)
        link.tell(Op::KeyDown, 38);
    EXPECT_EQ(link.spawned, GetParam().spawned);
    EXPECT_EQ(link.delivered, GetParam().delivered);
}

INSTANTIATE_TEST_SUITE_P(
    Starts, LinkTest,
    ::testing::Values(LinkCase{"OneGuardianForEveryMessage", {}, {}, 3, 1, 3},
                      LinkCase{"ABrokenLineIsRestartedAndTheMessageSentAgain", {}, {Sent::Broken}, 2, 2, 2},
                      LinkCase{"ABusyLineDropsOneMessageAndKeepsItsGuardian", {}, {Sent::Busy}, 2, 1, 1},
                      LinkCase{"ThreeFailedStartsGiveUpForGood", {Spawned::Failed, Spawned::Failed, Spawned::Failed}, {}, 5, 3, 0},
                      LinkCase{"AGuardianThatKeepsBreakingIsStartedThreeTimes",
                               {}, {Sent::Broken, Sent::Broken, Sent::Broken, Sent::Broken, Sent::Broken}, 4, 3, 0},
                      LinkCase{"AMissingExecutableIsLookedForOnce", {Spawned::Missing}, {}, 3, 1, 0}),
    [](const ::testing::TestParamInfo<LinkCase>& info) { return std::string(info.param.name); });

class GuardianTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!std::getenv("DISPLAY"))
            GTEST_SKIP() << "no X display";
        input = std::make_unique<TestDisplay>();
    }

    void TearDown() override
    {
        if (!input)
            return;
        // Whatever a failed check left held goes, so that later tests start clean.
        input->button(1, false);
        input->key(XK_Shift_L, false);
        input->sync();
    }

    bool await(const std::function<bool()>& condition, milliseconds timeout = seconds(3))
    {
        const auto giveUp = Clock::now() + timeout;
        while (!condition() && Clock::now() < giveUp)
            std::this_thread::sleep_for(milliseconds(2));
        return condition();
    }

    std::unique_ptr<TestDisplay> input;
};

TEST_F(GuardianTest, AKilledPlayerLeavesNothingHeldAndNoKeycodeBound)
{
    ASSERT_EQ(input->keycodesTyping(XK_F13), 0);
    ChildProcess player(TAMBLO_INJECTING_CHILD, {"hold"});
    ASSERT_TRUE(player.awaitLine("holding", seconds(10))) << player.errorOutput();
    EXPECT_EQ(input->pointerMask() & (Button1Mask | ShiftMask), unsigned{Button1Mask | ShiftMask});
    EXPECT_EQ(heldButtons(input->get()), (std::vector<unsigned>{1, 9}));
    EXPECT_GT(input->keycodesTyping(XK_F13), 0) << "F13 was not typed on a borrowed keycode";

    kill(player.pid(), SIGKILL);
    ASSERT_NE(player.await(seconds(3)), -1);
    EXPECT_TRUE(await([&] { return (input->pointerMask() & (Button1Mask | ShiftMask)) == 0; }))
        << "still held: mask 0x" << std::hex << input->pointerMask();
    EXPECT_TRUE(await([&] { return heldButtons(input->get()).empty(); })) << "the forward side button is still held";
    EXPECT_TRUE(await([&] { return input->keycodesTyping(XK_F13) == 0; })) << "F13 is still bound";
}

TEST_F(GuardianTest, OneGuardianServesEveryPlaybackAndEndsWithThePlatform)
{
    auto guardians = [] { return childrenNamed(getpid(), "tamblo-guardian"); };
    ASSERT_TRUE(guardians().empty());
    {
        auto platform = createSystemPlatform();
        EXPECT_TRUE(guardians().empty()) << "started before any playback";
        platform->beginPreciseTiming();
        platform->endPreciseTiming();
        const auto first = guardians();
        ASSERT_EQ(first.size(), 1u);
        for (int playback = 0; playback < 3; ++playback) {
            platform->beginPreciseTiming();
            platform->injectMouseButton(win::MouseRightDown | win::MouseRightUp);
            platform->endPreciseTiming();
        }
        EXPECT_EQ(guardians(), first);
    }
    EXPECT_TRUE(await([&] { return guardians().empty(); })) << "the guardian outlived its platform";
}

TEST_F(GuardianTest, ADisplayThatGoesAwayEndsThePlayerOnceWithStatus1AndOneLine)
{
    // Both the capture thread and the pointer calls of the main thread meet the lost server.
    for (int attempt = 0; attempt < 6; ++attempt) {
        auto server = std::make_unique<ScopedXvfb>();
        ASSERT_FALSE(server->displayName().empty()) << "Xvfb did not start";
        ChildProcess player(TAMBLO_INJECTING_CHILD, {"capture"}, server->displayName());
        ASSERT_TRUE(player.awaitLine("capturing", seconds(10))) << player.errorOutput();
        std::this_thread::sleep_for(milliseconds(20 * attempt));
        server->stop();

        const int status = player.await(seconds(5));
        ASSERT_NE(status, -1) << "the player did not end";
        ASSERT_TRUE(WIFEXITED(status)) << "ended by signal " << WTERMSIG(status) << ": " << player.errorOutput();
        EXPECT_EQ(WEXITSTATUS(status), 1);
        const std::string said = player.errorOutput();
        EXPECT_EQ(said.rfind("tamblo: lost the connection to the X display :", 0), 0u) << said;
        EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
    }
}

TEST_F(GuardianTest, APointerQueryIsAnsweredWhileABrokenGuardianHasNotEnded)
{
    FakeGuardianLink* link = nullptr;
    SpareKeyBindings spareKeys;
    XTestInjector injector(spareKeys, [&link](const std::string&) {
        auto made = std::make_unique<FakeGuardianLink>(std::vector<Spawned>{}, std::vector<Sent>(6, Sent::Broken));
        link = made.get();
        return made;
    });
    // Every press and release finds its guardian gone, and no guardian ends until the injector does.
    std::atomic<bool> pressing{true};
    std::thread presser([&] {
        while (pressing) {
            injector.pressKey(win::VkShift, 0);
            injector.pressKey(win::VkShift, win::KeyEventKeyUp);
        }
    });
    std::this_thread::sleep_for(milliseconds(20));
    Clock::duration slowest{};
    for (int i = 0; i < 20; ++i) {
        ScreenPoint point;
        const auto start = Clock::now();
        EXPECT_TRUE(injector.pointerPosition(point));
        slowest = std::max(slowest, Clock::now() - start);
    }
    pressing = false;
    presser.join();
    // Half the second a broken guardian may take to end: far above what the presser's turns at the
    // lock cost on a loaded machine, far below a wait for the guardian under the lock.
    EXPECT_LT(slowest, milliseconds(500)) << std::chrono::duration_cast<milliseconds>(slowest).count() << " ms";
    ASSERT_NE(link, nullptr);
    EXPECT_EQ(link->spawned, 3) << "three guardians, each broken at once";
}

}  // namespace
