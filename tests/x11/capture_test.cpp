#include <gtest/gtest.h>

#include <X11/keysym.h>

#include <cstdlib>
#include <functional>
#include <thread>
#include <utility>

#include "platform/system_platform.h"
#include "system/session.h"
#include "tests/core/thread_end_witness.h"
#include "x11_test_support.h"

namespace {

using Stroke = std::pair<KeySym, bool>;

constexpr int kVkPause = 0x13;

std::vector<Stroke> tap(KeySym keysym)
{
    return {{keysym, true}, {keysym, false}};
}

ListenerCall key(int message, int virtualKey)
{
    ListenerCall call;
    call.message = message;
    call.virtualKey = virtualKey;
    return call;
}

ListenerCall mouse(int message, int mouseData = 0)
{
    ListenerCall call = key(message, 0);
    call.mouseData = mouseData;
    return call;
}

class X11CaptureTest : public testing::Test {
protected:
    void SetUp() override
    {
        if (!std::getenv("DISPLAY"))
            GTEST_SKIP() << "no X display";
        input = std::make_unique<TestDisplay>();
        platform = createSystemPlatform();
        listener = std::make_unique<ListenerLog>(*platform);
        CaptureFailure reason;
        ASSERT_TRUE(platform->startHookThread(reason)) << reason.detail;
    }

    void TearDown() override
    {
        if (platform)
            platform->stopHookThread();
    }

    // Runs `inject`, then taps Pause as an end marker, and returns the listener calls made before it.
    std::vector<ListenerCall> captured(const std::function<void()>& inject)
    {
        inject();
        for (const Stroke& stroke : tap(XK_Pause))
            input->key(stroke.first, stroke.second);
        input->sync();
        std::vector<ListenerCall> calls = listener->takeUntil(key(win::WmKeyUp, kVkPause));
        EXPECT_FALSE(calls.empty() || !(calls.back() == key(win::WmKeyDown, kVkPause))) << "marker lost";
        if (!calls.empty())
            calls.pop_back();
        return calls;
    }

    std::vector<ListenerCall> typed(const std::vector<Stroke>& strokes)
    {
        return captured([&] {
            for (const Stroke& stroke : strokes)
                input->key(stroke.first, stroke.second);
        });
    }

    std::unique_ptr<TestDisplay> input;
    std::unique_ptr<PlatformInput> platform;
    std::unique_ptr<ListenerLog> listener;
};

TEST_F(X11CaptureTest, KeysArriveAsWindowsKeyMessagesWithVirtualKeys)
{
    using win::WmKeyDown;
    using win::WmKeyUp;
    using win::WmSysKeyDown;
    using win::WmSysKeyUp;
    const struct {
        const char* name;
        std::vector<Stroke> strokes;
        std::vector<ListenerCall> expected;
    } cases[] = {
        {"A", tap(XK_a), {key(WmKeyDown, 0x41), key(WmKeyUp, 0x41)}},
        {"F7", tap(XK_F7), {key(WmKeyDown, 0x76), key(WmKeyUp, 0x76)}},
        {"F10 is a system key", tap(XK_F10), {key(WmSysKeyDown, 0x79), key(WmSysKeyUp, 0x79)}},
        {"Alt+A",
         {{XK_Alt_L, true}, {XK_a, true}, {XK_a, false}, {XK_Alt_L, false}},
         {key(WmSysKeyDown, 0xA4), key(WmSysKeyDown, 0x41), key(WmSysKeyUp, 0x41), key(WmSysKeyUp, 0xA4)}},
        {"Ctrl+Alt+A is not a system key",
         {{XK_Control_L, true}, {XK_Alt_L, true}, {XK_a, true}, {XK_a, false}, {XK_Alt_L, false}, {XK_Control_L, false}},
         {key(WmKeyDown, 0xA2), key(WmKeyDown, 0xA4), key(WmKeyDown, 0x41), key(WmKeyUp, 0x41),
          key(WmKeyUp, 0xA4), key(WmKeyUp, 0xA2)}},
        {"sided modifiers",
         {{XK_Shift_R, true}, {XK_Control_R, true}, {XK_Control_R, false}, {XK_Shift_R, false}},
         {key(WmKeyDown, 0xA1), key(WmKeyDown, 0xA3), key(WmKeyUp, 0xA3), key(WmKeyUp, 0xA1)}},
        {"named keys",
         {{XK_Return, true}, {XK_Escape, true}, {XK_Super_L, true}, {XK_Page_Down, true}, {XK_KP_Divide, true},
          {XK_F12, true}},
         {key(WmKeyDown, 0x0D), key(WmKeyDown, 0x1B), key(WmKeyDown, 0x5B), key(WmKeyDown, 0x22),
          key(WmKeyDown, 0x6F), key(WmKeyDown, 0x7B)}},
        {"Delete", tap(XK_Delete), {key(WmKeyDown, 0x2E), key(WmKeyUp, 0x2E)}},
        {"punctuation",
         {{XK_semicolon, true}, {XK_bracketleft, true}, {XK_apostrophe, true}, {XK_grave, true}},
         {key(WmKeyDown, 0xBA), key(WmKeyDown, 0xDB), key(WmKeyDown, 0xDE), key(WmKeyDown, 0xC0)}},
    };
    for (const auto& testCase : cases) {
        SCOPED_TRACE(testCase.name);
        EXPECT_EQ(typed(testCase.strokes), testCase.expected);
        // Let go of whatever the case left held.
        std::vector<Stroke> releases;
        for (const Stroke& stroke : testCase.strokes)
            releases.push_back({stroke.first, false});
        typed(releases);
    }
}

TEST_F(X11CaptureTest, ButtonsArriveAsWindowsMouseMessagesAndMotionAsNothing)
{
    using namespace win;
    const struct {
        unsigned button;
        std::vector<ListenerCall> expected;
    } cases[] = {
        {1, {mouse(WmLButtonDown), mouse(WmLButtonUp)}},
        {3, {mouse(WmRButtonDown), mouse(WmRButtonUp)}},
        {2, {mouse(WmMButtonDown), mouse(WmMButtonUp)}},
        {4, {mouse(WmMouseWheel, 120)}},
        {5, {mouse(WmMouseWheel, -120)}},
        {6, {mouse(WmMouseHWheel, -120)}},
        {7, {mouse(WmMouseHWheel, 120)}},
        {8, {mouse(WmXButtonDown, 1), mouse(WmXButtonUp, 1)}},
        {9, {mouse(WmXButtonDown, 2), mouse(WmXButtonUp, 2)}},
    };
    for (const auto& testCase : cases) {
        SCOPED_TRACE("button " + std::to_string(testCase.button));
        const int x = 10 + 30 * static_cast<int>(testCase.button);
        const auto calls = captured([&] {
            input->move(x, 40);
            input->button(testCase.button, true);
            input->move(x + 5, 45);
            input->button(testCase.button, false);
        });
        EXPECT_EQ(calls, testCase.expected);
        if (!calls.empty()) {
            EXPECT_EQ(calls.front().position.x, x);
        }
    }
}

TEST_F(X11CaptureTest, ClickPositionIsWhereTheButtonWentDownEvenIfThePointerMovedOn)
{
    const auto calls = captured([&] {
        input->move(100, 200);
        input->button(1, true);
        input->move(500, 600);
        input->button(1, false);
        input->move(700, 700);
    });
    ASSERT_EQ(calls, (std::vector<ListenerCall>{mouse(win::WmLButtonDown), mouse(win::WmLButtonUp)}));
    EXPECT_EQ(calls[0].position.x, 100);
    EXPECT_EQ(calls[0].position.y, 200);
    EXPECT_EQ(calls[1].position.x, 500);
    EXPECT_EQ(calls[1].position.y, 600);

    // Outside a listener call the position is the pointer's current one.
    ScreenPoint now;
    ASSERT_TRUE(platform->cursorPos(now));
    EXPECT_EQ(now.x, 700);
    EXPECT_EQ(now.y, 700);
}

TEST_F(X11CaptureTest, KeyStateIsUpdatedBeforeTheListenerHearsOfTheKey)
{
    const auto calls = typed({{XK_F7, true}, {XK_F7, false}});
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_TRUE(calls[0].keyDown);
    EXPECT_FALSE(calls[1].keyDown);

    typed({{XK_Shift_R, true}, {XK_Control_L, true}});
    EXPECT_TRUE(platform->keyState(0xA1) & win::KeyStateDown);
    EXPECT_FALSE(platform->keyState(0xA0) & win::KeyStateDown);
    EXPECT_TRUE(platform->keyState(win::VkShift) & win::KeyStateDown);
    EXPECT_TRUE(platform->keyState(win::VkControl) & win::KeyStateDown);
    EXPECT_FALSE(platform->keyState(win::VkMenu) & win::KeyStateDown);

    typed({{XK_Shift_R, false}, {XK_Control_L, false}});
    EXPECT_EQ(platform->keyState(win::VkShift), 0);
    EXPECT_EQ(platform->keyState(win::VkControl), 0);

    // A key held since before the capture started counts from the start: the right Control too.
    platform->stopHookThread();
    input->key(XK_Control_R, true);
    input->sync();
    CaptureFailure reason;
    const bool started = platform->startHookThread(reason);
    EXPECT_TRUE(platform->keyState(win::VkControl) & win::KeyStateDown);
    typed({{XK_Control_R, false}});
    EXPECT_TRUE(started) << reason.detail;
    EXPECT_EQ(platform->keyState(win::VkControl), 0);
}

TEST_F(X11CaptureTest, InputInjectedByThisProcessIsCapturedLikeAnyOther)
{
    constexpr int kVkF13 = 0x7C;
    // F13 has no key in this keymap, so typing it borrows a spare keycode.
    ASSERT_EQ(input->keycodesTyping(XK_F13), 0);
    const auto calls = captured([&] {
        platform->setCursorPos(40, 50);
        platform->injectMouseButton(win::MouseRightDown | win::MouseRightUp);
        platform->injectKey(0x41, 0);
        platform->injectKey(0x41, win::KeyEventKeyUp);
        platform->injectKey(kVkF13, 0);
        platform->injectKey(kVkF13, win::KeyEventKeyUp);
    });
    EXPECT_EQ(calls, (std::vector<ListenerCall>{mouse(win::WmRButtonDown), mouse(win::WmRButtonUp),
                                                key(win::WmKeyDown, 0x41), key(win::WmKeyUp, 0x41),
                                                key(win::WmKeyDown, kVkF13), key(win::WmKeyUp, kVkF13)}));
    ASSERT_FALSE(calls.empty());
    EXPECT_EQ(calls[0].position.x, 40);
    EXPECT_EQ(calls[0].position.y, 50);
    EXPECT_EQ(input->keycodesTyping(XK_F13), 0) << "the borrowed keycode was not given back";
}

TEST(X11CaptureStop, WaitsUntilTheCaptureThreadHasEnded)
{
    if (!std::getenv("DISPLAY"))
        GTEST_SKIP() << "no X display";
    TestDisplay input;
    const auto platform = createSystemPlatform();
    ThreadEndWitness listener(*platform);
    CaptureFailure reason;
    ASSERT_TRUE(platform->startHookThread(reason)) << reason.detail;
    input.button(1, true);
    input.button(1, false);
    input.sync();
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(3);
    while (!listener.called && std::chrono::steady_clock::now() < giveUp)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    ASSERT_TRUE(listener.called);

    platform->stopHookThread();
    EXPECT_TRUE(listener.ended) << "stop returned before the capture thread ended";
}

TEST_F(X11CaptureTest, StopEndsCaptureAtOnceAndStartResumesIt)
{
    platform->stopHookThread();
    platform->stopHookThread();
    input->button(1, true);
    input->button(1, false);
    input->sync();
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    EXPECT_TRUE(listener->calls().empty());

    CaptureFailure reason;
    ASSERT_TRUE(platform->startHookThread(reason)) << reason.detail;
    ASSERT_TRUE(platform->startHookThread(reason)) << "a second start while running";
    const auto calls = captured([&] {
        input->button(1, true);
        input->button(1, false);
    });
    EXPECT_EQ(calls, (std::vector<ListenerCall>{mouse(win::WmLButtonDown), mouse(win::WmLButtonUp)}));
}

TEST(X11CaptureStart, FailsWithAReasonTheUserCanActOn)
{
    // The X server switches RECORD and XTEST on and off together, so this one lacks both.
    ScopedXvfb withoutRecord({"-extension", "RECORD"});
    if (withoutRecord.displayName().empty())
        GTEST_SKIP() << "cannot start a private Xvfb";
    const struct {
        const char* display;
        CaptureFailure::Cause cause;
        std::string detail;
    } cases[] = {
        {nullptr, CaptureFailure::Cause::NoDisplay, ""},
        {":4242", CaptureFailure::Cause::DisplayUnreachable, ":4242"},
        {withoutRecord.displayName().c_str(), CaptureFailure::Cause::NoRecordExtension, withoutRecord.displayName()},
    };
    for (const auto& testCase : cases) {
        SCOPED_TRACE(testCase.display ? testCase.display : "(unset)");
        ScopedDisplayVariable display(testCase.display);
        const auto platform = createSystemPlatform();
        CaptureFailure reason;
        EXPECT_FALSE(platform->startHookThread(reason));
        EXPECT_EQ(reason.cause, testCase.cause) << reason.detail;
        EXPECT_EQ(reason.detail, testCase.detail);
        // Nothing to inject into or query: the calls fail quietly.
        ScreenPoint point;
        EXPECT_FALSE(platform->cursorPos(point));
        EXPECT_FALSE(platform->setCursorPos(1, 1));
        platform->injectKey(0x41, 0);
    }
}

TEST(X11Session, EverySpellingOfADisplayNamesOneInstance)
{
    const auto instanceOn = [](const char* display) {
        ScopedDisplayVariable variable(display);
        return instanceName();
    };
    const struct {
        const char *display, *sameAs;
        bool same;
    } cases[] = {{":0.0", ":0", true}, {"unix:0", ":0", true}, {"unix:0.1", ":0.0", true}, {":1", ":0", false},
                 {"otherhost:0", ":0", false}};
    for (const auto& c : cases)
        EXPECT_EQ(instanceOn(c.display) == instanceOn(c.sameAs), c.same) << c.display << " and " << c.sameAs;
}

}  // namespace
