// What the capture path costs per input action: the hook procedures called directly (a pointer
// move, which only locks; a click while recording, which queries the pointer and appends), and
// injected wheel turns travelling through the system to the hook thread, against the same
// injection with no hook installed.
#include <atomic>
#include <chrono>
#include <cstdio>
#include <string>
#include <thread>

#include "capture/recorder.h"
#include "platform/win32/win32_platform.h"
// <windows.h> defines macros named like the constants of platform_input.h: it comes last.
#include "platform/win32/hook_procedures.h"

namespace {

using Clock = std::chrono::steady_clock;
using Nanoseconds = std::chrono::duration<double, std::nano>;

class CountingRecorder : public Recorder {
public:
    using Recorder::Recorder;
    void onMouseEvent(int msgCode) override
    {
        Recorder::onMouseEvent(msgCode);
        ++mouseCalls;
    }
    std::atomic<long> mouseCalls{0};
};

template <typename Action>
double nanosecondsPerCall(int calls, Action action)
{
    const auto start = Clock::now();
    for (int i = 0; i < calls; ++i)
        action();
    return Nanoseconds(Clock::now() - start).count() / calls;
}

void directCalls(CountingRecorder& recorder)
{
    constexpr int kCalls = 200000;
    MSLLHOOKSTRUCT record{};
    const auto lParam = reinterpret_cast<LPARAM>(&record);
    std::printf("hook procedure, pointer move:            %8.0f ns\n",
                nanosecondsPerCall(kCalls, [&] { mouseHookProc(HC_ACTION, WM_MOUSEMOVE, lParam); }));
    recorder.setRecording(true);
    std::printf("hook procedure, click while recording:   %8.0f ns\n",
                nanosecondsPerCall(kCalls, [&] { mouseHookProc(HC_ACTION, WM_LBUTTONDOWN, lParam); }));
    recorder.setRecording(false);
}

// Injects `count` wheel turns and waits until the listener has seen them (when hooked).
double injectedWheelTurns(CountingRecorder& recorder, int count, bool hooked)
{
    INPUT wheel{};
    wheel.type = INPUT_MOUSE;
    wheel.mi.dwFlags = MOUSEEVENTF_WHEEL;
    wheel.mi.mouseData = WHEEL_DELTA;
    const long before = recorder.mouseCalls;
    const auto start = Clock::now();
    for (int i = 0; i < count; ++i)
        SendInput(1, &wheel, sizeof(INPUT));
    while (hooked && recorder.mouseCalls - before < count)
        std::this_thread::yield();
    return Nanoseconds(Clock::now() - start).count() / count;
}

}  // namespace

int main()
{
    Win32Platform platform;
    CountingRecorder recorder(platform);
    recorder.attachCodec(nullptr);
    directCalls(recorder);

    constexpr int kTurns = 2000;
    const double unhooked = injectedWheelTurns(recorder, kTurns, false);
    std::string reason;
    if (!platform.startHookThread(reason)) {
        std::printf("cannot start the hook thread: %s\n", reason.c_str());
        return 1;
    }
    const double hooked = injectedWheelTurns(recorder, kTurns, true);
    platform.stopHookThread();
    std::printf("injected wheel turn, no hook installed:  %8.0f ns\n", unhooked);
    std::printf("injected wheel turn, through the hooks:  %8.0f ns (hook path %.0f ns per action)\n", hooked,
                hooked - unhooked);
}
