#include "platform/win32/timer_resolution.h"

#include <windows.h>

#include <timeapi.h>

namespace {
constexpr UINT kPeriodMs = 1;
}

TimerResolution::~TimerResolution()
{
    if (openRequests > 0)
        timeEndPeriod(kPeriodMs);
}

void TimerResolution::raise()
{
    if (openRequests++ == 0)
        timeBeginPeriod(kPeriodMs);
}

void TimerResolution::restore()
{
    if (openRequests > 0 && --openRequests == 0)
        timeEndPeriod(kPeriodMs);
}
