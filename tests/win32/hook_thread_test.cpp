#include <gtest/gtest.h>

#include <future>
#include <mutex>
#include <ostream>
#include <string>
#include <vector>

#include "capture/input_listener.h"
#include "platform/win32/win32_platform.h"
#include "tests/core/thread_end_witness.h"
#include "tests/win32/call_log.h"
#include "platform/win32/hook_procedures.h"

namespace {

using Lines = std::vector<std::string>;

INPUT mouse(DWORD flags, DWORD data = 0)
{
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = flags;
    input.mi.mouseData = data;
    if (flags & MOUSEEVENTF_MOVE) {
        input.mi.dx = 7;
        input.mi.dy = -3;
    }
    return input;
}

INPUT key(WORD virtualKey, DWORD flags = 0)
{
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = virtualKey;
    input.ki.dwFlags = flags;
    return input;
}

void inject(std::vector<INPUT> inputs)
{
    ASSERT_EQ(SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT)), inputs.size());
}

// Injected last; once the log shows it, everything injected before it has been through the hooks.
const INPUT kEndMark = key(VK_F24, KEYEVENTF_KEYUP);
const std::string kEndMarkLine = "key 1 0x87";

Lines injectAndCollect(const CallLog& log, std::vector<INPUT> inputs)
{
    inputs.push_back(kEndMark);
    inject(inputs);
    EXPECT_TRUE(log.waitForLine(kEndMarkLine));
    Lines lines = log.lines();
    if (!lines.empty() && lines.back() == kEndMarkLine)
        lines.pop_back();
    return lines;
}

struct InjectionCase {
    const char* name;
    std::vector<INPUT> inputs;
    Lines expected;
};

void PrintTo(const InjectionCase& injection, std::ostream* out)
{
    *out << injection.name;
}

class HookThreadReports : public testing::TestWithParam<InjectionCase> {
protected:
    void SetUp() override
    {
        CaptureFailure reason;
        ASSERT_TRUE(platform.startHookThread(reason)) << reason.detail;
    }

    Win32Platform platform;
    CallLog log{platform};
};

TEST_P(HookThreadReports, InjectedInputAsListenerCallsInOrder)
{
    EXPECT_EQ(injectAndCollect(log, GetParam().inputs), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Win32, HookThreadReports,
    testing::Values(
        InjectionCase{"LeftClick",
                      {mouse(MOUSEEVENTF_LEFTDOWN), mouse(MOUSEEVENTF_LEFTUP)},
                      {"mouse 0x201", "mouse 0x202"}},
        InjectionCase{"RightAndMiddleClicks",
                      {mouse(MOUSEEVENTF_RIGHTDOWN), mouse(MOUSEEVENTF_RIGHTUP), mouse(MOUSEEVENTF_MIDDLEDOWN),
                       mouse(MOUSEEVENTF_MIDDLEUP)},
                      {"mouse 0x204", "mouse 0x205", "mouse 0x207", "mouse 0x208"}},
        InjectionCase{"WheelTurns",
                      {mouse(MOUSEEVENTF_WHEEL, WHEEL_DELTA), mouse(MOUSEEVENTF_WHEEL, static_cast<DWORD>(-WHEEL_DELTA))},
                      {"mouse 0x20a 120", "mouse 0x20a -120"}},
        InjectionCase{"HorizontalWheelAndSideButtonsWithTheirNumbers",
                      {mouse(MOUSEEVENTF_HWHEEL, static_cast<DWORD>(-2 * WHEEL_DELTA)), mouse(MOUSEEVENTF_XDOWN, XBUTTON1),
                       mouse(MOUSEEVENTF_XUP, XBUTTON1), mouse(MOUSEEVENTF_XDOWN, XBUTTON2),
                       mouse(MOUSEEVENTF_XUP, XBUTTON2)},
                      {"mouse 0x20e -240", "mouse 0x20b 1", "mouse 0x20c 1", "mouse 0x20b 2", "mouse 0x20c 2"}},
        InjectionCase{"PointerMovesMakeNoCall", {mouse(MOUSEEVENTF_MOVE), mouse(MOUSEEVENTF_MOVE)}, {}},
        InjectionCase{"KeyPressAndRelease", {key('A'), key('A', KEYEVENTF_KEYUP)}, {"key 0 0x41", "key 1 0x41"}},
        InjectionCase{"KeyWithAltHeldIsASystemKey",
                      {key(VK_MENU), key('A'), key('A', KEYEVENTF_KEYUP), key(VK_MENU, KEYEVENTF_KEYUP)},
                      {"key 4 0x12", "key 4 0x41", "key 5 0x41", "key 1 0x12"}},
        InjectionCase{"KeysAndButtonsInterleaved",
                      {key(VK_F7), mouse(MOUSEEVENTF_LEFTDOWN), key(VK_F7, KEYEVENTF_KEYUP), mouse(MOUSEEVENTF_MOVE),
                       mouse(MOUSEEVENTF_LEFTUP)},
                      {"key 0 0x76", "mouse 0x201", "key 1 0x76", "mouse 0x202"}}),
    [](const testing::TestParamInfo<InjectionCase>& info) { return std::string(info.param.name); });

struct DirectCall {
    bool keyboard;
    WPARAM message;
    DWORD virtualKey;
    DWORD mouseData = 0;
};

LRESULT callProcedure(int nCode, const DirectCall& call)
{
    KBDLLHOOKSTRUCT keyRecord{};
    keyRecord.vkCode = call.virtualKey;
    keyRecord.scanCode = 0x1e;
    MSLLHOOKSTRUCT mouseRecord{};
    mouseRecord.pt = POINT{12, 34};
    mouseRecord.mouseData = call.mouseData;
    return call.keyboard ? keyboardHookProc(nCode, call.message, reinterpret_cast<LPARAM>(&keyRecord))
                         : mouseHookProc(nCode, call.message, reinterpret_cast<LPARAM>(&mouseRecord));
}

const std::vector<DirectCall> kDirectCalls = {
    {true, WM_KEYDOWN, 'Z'}, {true, WM_SYSKEYDOWN, VK_F8}, {true, WM_SYSKEYUP, VK_F8}, {true, WM_KEYUP, 'Z'},
    {false, WM_MOUSEMOVE, 0}, {false, WM_XBUTTONDOWN, 0, static_cast<DWORD>(MAKELONG(7, XBUTTON2))},
    {false, WM_MOUSEHWHEEL, 0, static_cast<DWORD>(MAKELONG(0, static_cast<WORD>(-WHEEL_DELTA)))},
};

TEST(HookProcedures, AnActionReachesTheListenerWithTheMessageAndTheRecordsKeyOrMouseData)
{
    Win32Platform platform;
    CallLog log(platform);
    for (const DirectCall& call : kDirectCalls)
        callProcedure(HC_ACTION, call);
    EXPECT_EQ(log.lines(),
              (Lines{"key 0 0x5a", "key 4 0x77", "key 5 0x77", "key 1 0x5a", "mouse 0x20b 2", "mouse 0x20e -120"}));
}

TEST(HookProcedures, AKeyIsDownForTheListenerFromEachPressUntilItsRelease)
{
    Win32Platform platform;
    CallLog log(platform);
    log.noteKeyState = true;
    for (const DirectCall& call : std::vector<DirectCall>{{true, WM_KEYDOWN, VK_F7}, {true, WM_KEYDOWN, VK_F7},
                                                          {true, WM_KEYUP, VK_F7}, {true, WM_SYSKEYDOWN, VK_F8},
                                                          {true, WM_SYSKEYUP, VK_F8}})
        callProcedure(HC_ACTION, call);
    EXPECT_EQ(log.lines(), (Lines{"key 0 0x76 down", "key 0 0x76 down", "key 1 0x76 up", "key 4 0x77 down",
                                  "key 5 0x77 up"}));
}

TEST(HookProcedures, OtherCodesPassOnWithoutTheLockOrTheListener)
{
    Win32Platform platform;
    CallLog log(platform);
    std::unique_lock<std::mutex> heldElsewhere(g_listenerMutex);
    auto passed = std::async(std::launch::async, [] {
        for (const DirectCall& call : kDirectCalls)
            callProcedure(1, call);
    });
    const bool returned = passed.wait_for(std::chrono::seconds(5)) == std::future_status::ready;
    heldElsewhere.unlock();
    passed.get();
    EXPECT_TRUE(returned) << "a hook procedure waited for g_listenerMutex";
    EXPECT_EQ(log.lines(), Lines{});
}

const std::vector<INPUT> kClickAndKey = {mouse(MOUSEEVENTF_LEFTDOWN), mouse(MOUSEEVENTF_LEFTUP), key('Q'),
                                         key('Q', KEYEVENTF_KEYUP)};
const Lines kClickAndKeyLines = {"mouse 0x201", "mouse 0x202", "key 0 0x51", "key 1 0x51"};

TEST(HookThread, StartingTwiceInstallsTheHooksOnce)
{
    Win32Platform platform;
    CallLog log(platform);
    CaptureFailure reason;
    ASSERT_TRUE(platform.startHookThread(reason)) << reason.detail;
    ASSERT_TRUE(platform.startHookThread(reason)) << reason.detail;
    EXPECT_EQ(injectAndCollect(log, kClickAndKey), kClickAndKeyLines);
}

TEST(HookThread, QuitMessageRemovesBothHooksAndEndsTheThread)
{
    Win32Platform stopped;
    Win32Platform running;
    CallLog log(running);
    CaptureFailure reason;
    ASSERT_TRUE(stopped.startHookThread(reason)) << reason.detail;
    stopped.stopHookThread();
    stopped.stopHookThread();

    // Were the stopped thread's hooks still installed, every action would be reported twice.
    ASSERT_TRUE(running.startHookThread(reason)) << reason.detail;
    EXPECT_EQ(injectAndCollect(log, kClickAndKey), kClickAndKeyLines);
}

TEST(HookThread, StopWaitsUntilTheThreadHasEnded)
{
    Win32Platform platform;
    ThreadEndWitness listener(platform);
    CaptureFailure reason;
    ASSERT_TRUE(platform.startHookThread(reason)) << reason.detail;
    inject({mouse(MOUSEEVENTF_LEFTDOWN), mouse(MOUSEEVENTF_LEFTUP)});
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(3);
    while (!listener.called && std::chrono::steady_clock::now() < giveUp)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    ASSERT_TRUE(listener.called);

    platform.stopHookThread();
    EXPECT_TRUE(listener.ended) << "stop returned before the hook thread ended";
}

TEST(HookThread, CanBeStartedAgainAfterStopping)
{
    Win32Platform platform;
    CallLog log(platform);
    CaptureFailure reason;
    ASSERT_TRUE(platform.startHookThread(reason)) << reason.detail;
    platform.stopHookThread();
    ASSERT_TRUE(platform.startHookThread(reason)) << reason.detail;
    EXPECT_EQ(injectAndCollect(log, kClickAndKey), kClickAndKeyLines);
}

}  // namespace
