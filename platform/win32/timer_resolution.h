#pragma once

// Holds the system timer at 1 ms while at least one request is open. Windows' default tick of
// about 15.6 ms would stretch every playback slot by half. Requests nest; any still open when
// this object goes are closed then. Used from one thread.
class TimerResolution {
public:
    TimerResolution() = default;
    ~TimerResolution();
    TimerResolution(const TimerResolution&) = delete;
    TimerResolution& operator=(const TimerResolution&) = delete;

    void raise();
    // Closes one request; an unmatched call is ignored.
    void restore();

private:
    int openRequests = 0;
};
