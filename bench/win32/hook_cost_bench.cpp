// What the capture path costs per input action: the hook procedures called directly (a pointer
// move, which only locks; a click while recording, which queries the pointer and appends), and
// injected wheel turns travelling through the system to the hook thread, against the same
// injection with no hook installed.
#include <atomic>
#include <chrono>
#include <cstdio>
#include <string>
#include <thread>

#include "capture/input_listener.h"
#include "capture/recorder.h"
#include "platform/win32/win32_platform.h"
#include "platform/win32/hook_procedures.h"

namespace {

using Clock = std::chrono::steady_clock;
using Nanoseconds = std::chrono::duration<double, std::nano>;

class CountingRecorder : public Recorder {
public:
    using Recorder::Recorder;
    void onMouseEvent(int msgCode, int mouseData) override
    {
        Recorder::onMouseEvent(msgCode, mouseData);
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
    constexpr int kCalls = 20000;
    MSLLHOOKSTRUCT record{};
    const auto lParam = reinterpret_cast<LPARAM>(&record);
    POINT pointer;
    const auto row = [](const char* label, double nanoseconds) { std::printf("%-40s %9.0f ns\n", label, nanoseconds); };

    row("delivery of a pointer move (lock only):", nanosecondsPerCall(kCalls, [] { deliverMouseEvent(WM_MOUSEMOVE); }));
    row("CallNextHookEx alone:", nanosecondsPerCall(kCalls, [&] { CallNextHookEx(nullptr, HC_ACTION, WM_MOUSEMOVE, lParam); }));
    row("GetCursorPos alone:", nanosecondsPerCall(kCalls, [&] { GetCursorPos(&pointer); }));
    row("hook procedure, pointer move:", nanosecondsPerCall(kCalls, [&] { mouseHookProc(HC_ACTION, WM_MOUSEMOVE, lParam); }));
    recorder.setRecording(true);
    row("hook procedure, click while recording:",
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
    CaptureFailure reason;
    if (!platform.startHookThread(reason)) {
        std::printf("cannot start the hook thread: %s\n", reason.detail.c_str());
        return 1;
    }
    const double hooked = injectedWheelTurns(recorder, kTurns, true);
    platform.stopHookThread();
    std::printf("%-40s %9.0f ns\n", "injected wheel turn, no hook installed:", unhooked);
    std::printf("%-40s %9.0f ns (the hook path: %.0f ns per action)\n", "injected wheel turn, through the hooks:",
                hooked, hooked - unhooked);
}
