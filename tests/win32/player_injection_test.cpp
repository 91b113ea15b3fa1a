#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <vector>

#include "platform/win32/win32_platform.h"
#include "playback/player.h"
#include "script/script_codec.h"
#include "tests/win32/call_log.h"

namespace {

using std::chrono::milliseconds;

std::vector<InputEvent> script(const std::vector<std::string>& lines)
{
    std::vector<InputEvent> events;
    EXPECT_TRUE(ScriptCodec().fromLines(lines, events));
    return events;
}

TEST(PlayerOnWindows, InjectedButtonsAndKeysArriveWhereTheScriptPutsThem)
{
    Win32Platform platform;
    CallLog log(platform, CallLog::Pointer::Include);
    CaptureFailure reason;
    ASSERT_TRUE(platform.startHookThread(reason)) << reason.detail;

    Player player(platform);
    player.stopRequested = false;
    ASSERT_EQ(player.play(script({"LOGMOUSEPOS:100:120", "LBUTTONDOWN:200:150", "LBUTTONUP:210:160",
                                    "RBUTTONDOWN:640:400", "RBUTTONUP:640:400", "KEYDOWN:300:250:65",
                                    "KEYUP:310:260:65", "MBUTTONDOWN:5:6", "MBUTTONUNUP:7:8",
                                    "MOUSEWHEEL:50:60:-240", "MOUSEHWHEEL:70:80:-60", "XBUTTONDOWN:90:100:2",
                                    "XBUTTONUP:90:100:2", "LOGMOUSEPOS:400:300"})), PassEnd::Finished);
    // Once the hooks report this F24 release, they have reported everything the pass injected.
    platform.injectKey(0x87, win::KeyEventKeyUp);
    ASSERT_TRUE(log.waitForLine("key 1 0x87 at 400,300")) << testing::PrintToString(log.lines());

    EXPECT_EQ(log.lines(), (std::vector<std::string>{
                               "mouse 0x201 at 200,150", "mouse 0x202 at 210,160", "mouse 0x204 at 640,400",
                               "mouse 0x205 at 640,400", "key 0 0x41 at 300,250", "key 1 0x41 at 310,260",
                               "mouse 0x207 at 5,6", "mouse 0x208 at 7,8", "mouse 0x20a -240 at 50,60",
                               "mouse 0x20e -60 at 70,80", "mouse 0x20b 2 at 90,100", "mouse 0x20c 2 at 90,100",
                               "key 1 0x87 at 400,300"}));
    ScreenPoint pointer;
    ASSERT_TRUE(platform.cursorPos(pointer));
    EXPECT_EQ(pointer.x, 400);
    EXPECT_EQ(pointer.y, 300);
}

std::vector<std::string> g_seenKeys;  // as this test's keyboard hook sees them: "0x25 down extended"

LRESULT CALLBACK noteKey(int code, WPARAM message, LPARAM data)
{
    const auto* key = reinterpret_cast<const KBDLLHOOKSTRUCT*>(data);
    g_seenKeys.push_back(CallLog::hex(static_cast<int>(key->vkCode)) + (message == WM_KEYUP ? " up" : " down")
                         + ((key->flags & LLKHF_EXTENDED) ? " extended" : ""));
    return CallNextHookEx(nullptr, code, message, data);
}

TEST(PlayerOnWindows, SendsTheKeysWhoseScanCodeHasTheE0PrefixAsExtendedKeys)
{
    const HHOOK hook = SetWindowsHookExW(WH_KEYBOARD_LL, noteKey, nullptr, 0);
    // The keypad's Enter shares its virtual key with the main one; its E0 twin here is the keypad's /.
    const struct { int virtualKey; const char* seen; } rows[] = {{VK_LEFT, " extended"}, {VK_RCONTROL, " extended"},
        {VK_DELETE, " extended"}, {VK_DIVIDE, " extended"}, {'A', ""}, {VK_LCONTROL, ""}};
    Win32Platform platform;
    std::vector<std::string> expected;
    for (const auto& row : rows) {
        platform.injectKey(static_cast<std::uint32_t>(row.virtualKey), 0);
        platform.injectKey(static_cast<std::uint32_t>(row.virtualKey), win::KeyEventKeyUp);
        for (const char* state : {" down", " up"})
            expected.push_back(CallLog::hex(row.virtualKey) + state + row.seen);
    }
    MSG message;  // the hook runs on this thread while it looks for messages
    for (int i = 0; i < 250 && g_seenKeys.size() < expected.size(); ++i) {
        PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE);
        Sleep(20);
    }
    UnhookWindowsHookEx(hook);
    EXPECT_EQ(g_seenKeys, expected);
}

TEST(PlayerOnWindows, KeepsTheTenMillisecondCadence)
{
    Win32Platform platform;
    Player player(platform);
    player.stopRequested = false;
    const std::vector<InputEvent> events(50, script({"LOGMOUSEPOS:1:1"}).front());

    const auto start = platform.now();
    ASSERT_EQ(player.play(events), PassEnd::Finished);
    const auto took = std::chrono::duration_cast<milliseconds>(platform.now() - start);
    EXPECT_GE(took, milliseconds(500));
    // At the system's default tick each 10 ms wait would last a whole 15.6 ms: about 780 ms.
    EXPECT_LT(took, milliseconds(750));
}

TEST(Win32SleepUntil, NeverWakesBeforeTheDeadlineNorLongAfterIt)
{
    for (const auto way : {PlaybackWait::Way::HighResolutionTimer, PlaybackWait::Way::SleepAtOneMillisecond}) {
        Win32Platform platform(way);
        for (const auto ahead : {std::chrono::microseconds(-500), std::chrono::microseconds(300),
                                 std::chrono::microseconds(1700), std::chrono::microseconds(10500)}) {
            const auto before = platform.now();
            const auto deadline = before + ahead;
            platform.sleepUntil(deadline);
            const auto woke = platform.now();
            EXPECT_GE(woke, deadline) << ahead.count() << " us ahead, way " << static_cast<int>(way);
            EXPECT_LT(woke - std::max(before, deadline), milliseconds(20)) << ahead.count() << " us ahead";
        }
    }
}

// A player ended abruptly in the middle of a drag, as from the Task Manager: its guardian process
// lets go of what it held, the last pressed first, the side button by its own mouse data.
TEST(GuardianOnWindows, ReleasesWhatAKilledPlayerHeld)
{
    Win32Platform platform;
    CallLog log(platform, CallLog::Pointer::Include);
    CaptureFailure reason;
    // The child that EXPECT_EXIT starts runs this body too, but must not hook: under Wine the hooks
    // of a killed process stay first in the chain, and no hook then hears of the input that follows.
    if (GTEST_FLAG_GET(internal_run_death_test).empty()) {
        ASSERT_TRUE(platform.startHookThread(reason)) << reason.detail;
    }

    EXPECT_EXIT(
        {
            Player player(platform);
            player.stopRequested = false;
            platform.beginPreciseTiming();
            player.play(script({"LBUTTONDOWN:300:200", "LOGMOUSEPOS:340:260", "XBUTTONDOWN:340:260:2",
                                "KEYDOWN:340:260:16"}));
            TerminateProcess(GetCurrentProcess(), 7);
        },
        testing::ExitedWithCode(7), "");

    const bool released = log.waitForLine("mouse 0x202 at 340,260");
    if (!released) {
        platform.injectKey(win::VkShift, win::KeyEventKeyUp);
        platform.injectMouse(win::MouseXUp, win::XButton2);
        platform.injectMouseButton(win::MouseLeftUp);
    }
    ASSERT_TRUE(released) << testing::PrintToString(log.lines());
    EXPECT_EQ(log.lines(), (std::vector<std::string>{"mouse 0x201 at 300,200", "mouse 0x20b 2 at 340,260",
                                                      "key 0 0x10 at 340,260", "key 1 0x10 at 340,260",
                                                      "mouse 0x20c 2 at 340,260", "mouse 0x202 at 340,260"}));
}

}  // namespace
