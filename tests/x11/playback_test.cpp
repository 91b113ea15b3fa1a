#include <gtest/gtest.h>

#include <X11/keysym.h>
#include <pthread.h>
#include <sys/prctl.h>

#include <cstdlib>
#include <future>
#include <thread>

#include "platform/system_platform.h"
#include "playback/player.h"
#include "script/script_codec.h"
#include "x11_test_support.h"

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

class X11PlaybackTest : public testing::Test {
protected:
    void SetUp() override
    {
        if (!std::getenv("DISPLAY"))
            GTEST_SKIP() << "no X display";
        input = std::make_unique<TestDisplay>();
        observer = std::make_unique<ObserverWindow>();
        platform = createSystemPlatform();
        player = std::make_unique<Player>(*platform);
        player->stopRequested = false;
    }

    static std::vector<InputEvent> script(const std::vector<std::string>& lines)
    {
        std::vector<InputEvent> events;
        EXPECT_TRUE(ScriptCodec().fromLines(lines, events));
        return events;
    }

    // Waits until every pointer button and modifier in `mask` is down.
    bool waitForHeld(unsigned mask)
    {
        const auto giveUp = Clock::now() + std::chrono::seconds(3);
        while ((input->pointerMask() & mask) != mask && Clock::now() < giveUp)
            std::this_thread::sleep_for(milliseconds(1));
        return (input->pointerMask() & mask) == mask;
    }

    std::unique_ptr<TestDisplay> input;
    std::unique_ptr<ObserverWindow> observer;
    std::unique_ptr<PlatformInput> platform;
    std::unique_ptr<Player> player;
};

TEST_F(X11PlaybackTest, ScriptArrivesWithItsButtonsKeysAndPositions)
{
    EXPECT_EQ(player->play(script({
        "LBUTTONDOWN:100:110", "LBUTTONUP:120:130",
        "RBUTTONDOWN:200:210", "RBUTTONUP:220:230",
        "MBUTTONDOWN:300:310", "MBUTTONUNUP:320:330",
        "LOGMOUSEPOS:5:6",
        "KEYDOWN:400:410:65", "KEYUP:420:430:65",
        "SYSKEYDOWN:440:450:13", "SYSKEYUP:440:450:13",
        "KEYDOWN:1:2:7", "KEYUP:1:2:7",  // 7 is no key at all: nothing is typed
        "KEYDOWN:460:470:188", "KEYUP:460:470:188",
        "KEYDOWN:480:490:46", "KEYUP:480:490:46",
        // A notch per 120; what is short of a notch waits for the next line of the same axis.
        "MOUSEWHEEL:500:510:240", "MOUSEHWHEEL:520:530:-120", "MOUSEWHEEL:1:2:60", "MOUSEHWHEEL:3:4:100",
        "MOUSEWHEEL:580:590:-30", "MOUSEWHEEL:600:610:90",
        "XBUTTONDOWN:540:550:1", "XBUTTONUP:540:550:1", "XBUTTONDOWN:560:570:2", "XBUTTONUP:560:570:2",
    })), PassEnd::Finished);
    const unsigned a = observer->keycode(XK_a);
    const unsigned enter = observer->keycode(XK_Return);
    const unsigned comma = observer->keycode(XK_comma);
    const unsigned del = observer->keycode(XK_Delete);
    EXPECT_EQ(observer->take(), (std::vector<ObserverWindow::Seen>{
                                    {ButtonPress, 1, 100, 110}, {ButtonRelease, 1, 120, 130},
                                    {ButtonPress, 3, 200, 210}, {ButtonRelease, 3, 220, 230},
                                    {ButtonPress, 2, 300, 310}, {ButtonRelease, 2, 320, 330},
                                    {KeyPress, a, 400, 410}, {KeyRelease, a, 420, 430},
                                    {KeyPress, enter, 440, 450}, {KeyRelease, enter, 440, 450},
                                    {KeyPress, comma, 460, 470}, {KeyRelease, comma, 460, 470},
                                    {KeyPress, del, 480, 490}, {KeyRelease, del, 480, 490},
                                    {ButtonPress, 4, 500, 510}, {ButtonRelease, 4, 500, 510},
                                    {ButtonPress, 4, 500, 510}, {ButtonRelease, 4, 500, 510},
                                    {ButtonPress, 6, 520, 530}, {ButtonRelease, 6, 520, 530},
                                    {ButtonPress, 4, 600, 610}, {ButtonRelease, 4, 600, 610},
                                    {ButtonPress, 8, 540, 550}, {ButtonRelease, 8, 540, 550},
                                    {ButtonPress, 9, 560, 570}, {ButtonRelease, 9, 560, 570},
                                }));
}

TEST_F(X11PlaybackTest, InjectionReachesTheServerBeforeTheCallReturns)
{
    for (const ScreenPoint target : {ScreenPoint{300, 200}, ScreenPoint{0, 0}, ScreenPoint{1000, 700}}) {
        ASSERT_TRUE(platform->setCursorPos(target.x, target.y));
        EXPECT_EQ(input->pointer().x, target.x);
        EXPECT_EQ(input->pointer().y, target.y);
        ScreenPoint asked;
        ASSERT_TRUE(platform->cursorPos(asked));
        EXPECT_EQ(asked.x, target.x);
        EXPECT_EQ(asked.y, target.y);
    }
    platform->injectMouseButton(win::MouseMiddleDown);
    EXPECT_TRUE(input->pointerMask() & Button2Mask);
    platform->injectMouseButton(win::MouseMiddleUp);
    EXPECT_FALSE(input->pointerMask() & Button2Mask);
}

TEST_F(X11PlaybackTest, StopInALongPauseReturnsPromptlyAndLetsGoOfTheDrag)
{
    const auto events = script({"LBUTTONDOWN:50:60", "LOGMOUSEPOS:80:90", "KEYDOWN:80:90:160",
                                 "SLEEP:-1:0:0:0:0", "LBUTTONUP:80:90"});
    auto playing = std::async(std::launch::async, [&] { return player->play(events); });
    ASSERT_TRUE(waitForHeld(Button1Mask | ShiftMask)) << "the drag never started";
    std::this_thread::sleep_for(milliseconds(30));

    const auto stopped = Clock::now();
    player->stopRequested = true;
    ASSERT_EQ(playing.wait_for(std::chrono::seconds(2)), std::future_status::ready);
    const auto latency = Clock::now() - stopped;
    EXPECT_EQ(playing.get(), PassEnd::Stopped);
    EXPECT_LT(latency, milliseconds(100));
    EXPECT_EQ(input->pointerMask() & (Button1Mask | ShiftMask), 0u);
    const unsigned shift = observer->keycode(XK_Shift_L);
    EXPECT_EQ(observer->take(), (std::vector<ObserverWindow::Seen>{{ButtonPress, 1, 50, 60},
                                                                    {KeyPress, shift, 80, 90},
                                                                    {KeyRelease, shift, 80, 90},
                                                                    {ButtonRelease, 1, 80, 90}}));
}

TEST_F(X11PlaybackTest, AHugeWheelDeltaIsCutShortSoAStopNeverWaitsBehindIt)
{
    const auto started = Clock::now();
    EXPECT_EQ(player->play(script({"MOUSEWHEEL:70:80:-2147483520"})), PassEnd::Finished);
    EXPECT_LT(Clock::now() - started, std::chrono::seconds(5));
    const auto seen = observer->take();
    EXPECT_EQ(seen.size(), 2u * 1200u);
    EXPECT_EQ(seen.back(), (ObserverWindow::Seen{ButtonRelease, 5, 70, 80}));
}

TEST(X11Timing, SleepsNeverEndBeforeTheirDeadline)
{
    const auto platform = createSystemPlatform();
    for (const auto ahead : {std::chrono::microseconds(-100), std::chrono::microseconds(0),
                             std::chrono::microseconds(50), std::chrono::microseconds(300),
                             std::chrono::microseconds(2500), std::chrono::microseconds(10000)}) {
        SCOPED_TRACE(ahead.count());
        const auto deadline = platform->now() + ahead;
        platform->sleepUntil(deadline);
        const auto woke = platform->now();
        EXPECT_GE(woke, deadline);
        // A loaded machine (or a sanitizer build) can wake a sleeper tens of milliseconds late;
        // a sleep that misread its deadline would be off by seconds.
        EXPECT_LT(woke - deadline, milliseconds(500));
    }
}

int schedulingPolicy()
{
    int policy = -1;
    sched_param priority{};
    pthread_getschedparam(pthread_self(), &policy, &priority);
    return policy;
}

TEST(X11Timing, PreciseTimingIsUndoneByTheLastEnd)
{
    const auto platform = createSystemPlatform();
    const int normalPolicy = schedulingPolicy();
    const long normal = prctl(PR_GET_TIMERSLACK, 0, 0, 0, 0);
    platform->beginPreciseTiming();
    const long precise = prctl(PR_GET_TIMERSLACK, 0, 0, 0, 0);
    EXPECT_LT(precise, normal);
    platform->beginPreciseTiming();
    platform->endPreciseTiming();
    EXPECT_EQ(prctl(PR_GET_TIMERSLACK, 0, 0, 0, 0), precise);
    platform->endPreciseTiming();
    EXPECT_EQ(prctl(PR_GET_TIMERSLACK, 0, 0, 0, 0), normal);
    EXPECT_EQ(schedulingPolicy(), normalPolicy);
}

}  // namespace
