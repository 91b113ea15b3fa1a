// The guardian process: what it learns, and what it undoes once the player's process is killed.
#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <X11/keysym.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <thread>

#include "child_process.h"
#include "guardian/held_input_ledger.h"
#include "platform/system_platform.h"
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

}  // namespace
