#pragma once

#include <windows.h>

#include <chrono>

#include "platform/win32/timer_resolution.h"

// How the backend sleeps to a playback's deadlines. A high-resolution waitable timer (Windows 10
// 1803 and later) wakes within a fraction of a millisecond, and unlike a raised timer resolution it
// keeps doing so on Windows 11 once the window is hidden. Where no such timer can be made, whole
// milliseconds are slept at a 1 ms timer resolution. Used from one thread.
class PlaybackWait {
public:
    enum class Way { HighResolutionTimer, SleepAtOneMillisecond };

    explicit PlaybackWait(Way preferred = Way::HighResolutionTimer);
    ~PlaybackWait();
    PlaybackWait(const PlaybackWait&) = delete;
    PlaybackWait& operator=(const PlaybackWait&) = delete;

    Way way() const { return timer ? Way::HighResolutionTimer : Way::SleepAtOneMillisecond; }

    // A playback begins or ends; calls nest, the outermost pair counts.
    void begin();
    void end();

    // Returns once the steady clock has reached `deadline`, never before.
    void until(std::chrono::steady_clock::time_point deadline);

private:
    bool waitOnTimer(std::chrono::steady_clock::duration left);

    HANDLE timer = nullptr;
    TimerResolution timerResolution;
    int playbacks = 0;
};
