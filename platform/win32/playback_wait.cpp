#include "platform/win32/playback_wait.h"

namespace {

// Not yet in every SDK's headers.
constexpr DWORD kCreateWaitableTimerHighResolution = 0x00000002;

using Clock = std::chrono::steady_clock;
using Ticks = std::chrono::duration<LONGLONG, std::ratio<1, 10'000'000>>;  // the timer's 100 ns
// The timer is aimed this much short of a deadline and the rest yielded away (Sleep(0), which no
// timer resolution stretches): a timer may wake up late, Wine's by a millisecond or more once the
// machine is busy, which would stretch every playback slot.
constexpr auto kYieldedRest = std::chrono::milliseconds(2);

// Windows 11 may ignore a hidden window's timer requests to save power; a playback hides the
// window, so while one runs this process asks to be exempt, and afterwards leaves it to the system.
void exemptFromTimerThrottling(bool exempt)
{
    PROCESS_POWER_THROTTLING_STATE state{};
    state.Version = PROCESS_POWER_THROTTLING_CURRENT_VERSION;
    // The policy in the control mask and not in the state mask: never ignore the requests.
    state.ControlMask = exempt ? PROCESS_POWER_THROTTLING_IGNORE_TIMER_RESOLUTION : 0;
    state.StateMask = 0;
    // Older systems know no such policy and have no such throttling either.
    SetProcessInformation(GetCurrentProcess(), ProcessPowerThrottling, &state, sizeof state);
}

}  // namespace

PlaybackWait::PlaybackWait(Way preferred)
{
    if (preferred == Way::HighResolutionTimer)
        timer = CreateWaitableTimerExW(nullptr, nullptr, kCreateWaitableTimerHighResolution, TIMER_ALL_ACCESS);
}

PlaybackWait::~PlaybackWait()
{
    if (playbacks > 0)
        exemptFromTimerThrottling(false);
    if (timer)
        CloseHandle(timer);
}

void PlaybackWait::begin()
{
    if (playbacks++ > 0)
        return;
    exemptFromTimerThrottling(true);
    if (!timer)
        timerResolution.raise();
}

void PlaybackWait::end()
{
    if (playbacks == 0 || --playbacks > 0)
        return;
    exemptFromTimerThrottling(false);
    if (!timer)
        timerResolution.restore();
}

void PlaybackWait::until(Clock::time_point deadline)
{
    // The timer is set to what is left of the steady clock's deadline, not to a wall-clock time,
    // which a clock adjustment would move; an early wake-up waits again for the rest.
    for (Clock::duration left = deadline - Clock::now(); left > Clock::duration::zero();
         left = deadline - Clock::now()) {
        const bool yieldOnly = timer && left <= kYieldedRest;
        if (timer && !yieldOnly && waitOnTimer(left - kYieldedRest))
            continue;
        // Without the timer, whole milliseconds are slept and the last fraction is spent yielding,
        // since rounding it up to a whole Sleep would add about half a millisecond to every slot.
        Sleep(yieldOnly ? 0 : static_cast<DWORD>(std::chrono::floor<std::chrono::milliseconds>(left).count()));
    }
}

bool PlaybackWait::waitOnTimer(Clock::duration left)
{
    LARGE_INTEGER due;
    due.QuadPart = -std::chrono::ceil<Ticks>(left).count();  // negative: relative to now
    return SetWaitableTimerEx(timer, &due, 0, nullptr, nullptr, nullptr, 0)
        && WaitForSingleObject(timer, INFINITE) == WAIT_OBJECT_0;
}
