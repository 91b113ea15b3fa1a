#include "platform/x11/precise_timing.h"

#include <pthread.h>
#include <sched.h>
#include <sys/prctl.h>
#include <time.h>

#include <cerrno>

namespace {

using Clock = std::chrono::steady_clock;

// Wake-up lag of a kernel sleep with the lowered slack stays well inside this on an idle machine.
constexpr std::chrono::microseconds kSpinMargin{200};
constexpr unsigned long kPreciseSlackNs = 1;

thread_local int t_preciseDepth = 0;
thread_local long t_savedSlackNs = 0;
thread_local int t_savedPolicy = SCHED_OTHER;
thread_local sched_param t_savedPriority{};

// libstdc++'s steady_clock reads CLOCK_MONOTONIC, so its time points convert directly.
timespec toMonotonicTimespec(Clock::time_point point)
{
    const auto sinceEpoch = std::chrono::duration_cast<std::chrono::nanoseconds>(point.time_since_epoch());
    timespec result{};
    result.tv_sec = static_cast<time_t>(sinceEpoch.count() / 1000000000);
    result.tv_nsec = static_cast<long>(sinceEpoch.count() % 1000000000);
    return result;
}

}  // namespace

void sleepUntilSteady(Clock::time_point deadline)
{
    const Clock::time_point wake = deadline - kSpinMargin;
    if (Clock::now() < wake) {
        const timespec until = toMonotonicTimespec(wake);
        while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &until, nullptr) == EINTR) {
        }
    }
    while (Clock::now() < deadline) {
    }
}

void beginPreciseThreadTiming()
{
    if (t_preciseDepth++ > 0)
        return;
    t_savedSlackNs = prctl(PR_GET_TIMERSLACK, 0, 0, 0, 0);
    prctl(PR_SET_TIMERSLACK, kPreciseSlackNs, 0, 0, 0);
    // On a busy machine a woken thread can wait for a whole time slice. The lowest real-time
    // priority lets it run at once; it sleeps or blocks on the server nearly all the time, and
    // where the system does not grant it the thread simply keeps its normal priority.
    pthread_getschedparam(pthread_self(), &t_savedPolicy, &t_savedPriority);
    const sched_param lowestRealTime{sched_get_priority_min(SCHED_FIFO)};
    pthread_setschedparam(pthread_self(), SCHED_FIFO, &lowestRealTime);
}

void endPreciseThreadTiming()
{
    if (t_preciseDepth == 0 || --t_preciseDepth > 0)
        return;
    pthread_setschedparam(pthread_self(), t_savedPolicy, &t_savedPriority);
    if (t_savedSlackNs > 0)
        prctl(PR_SET_TIMERSLACK, static_cast<unsigned long>(t_savedSlackNs), 0, 0, 0);
}
