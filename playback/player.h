#pragma once

#include <atomic>
#include <cstddef>
#include <vector>

#include "capture/input_event.h"

class PlatformInput;
enum class InputBarrier;

// How a pass of a playback ended.
enum class PassEnd {
    Finished,         // it reached the end of the list
    Stopped,          // stopRequested was set
    UnplayableEvent,  // an event of no known kind
    PointerNotMoved,  // the pointer could not be moved to a button event's place
    InputRefused,     // the system refused an injected input
    ElevatedTarget,   // the target window runs with more rights than this program, and drops input
    LockedDesktop,    // the screen was locked, or another session took the screen
    Suspended,        // the computer went to sleep
};

// Whether the pass did what it was asked: played to the end, or was stopped by request.
inline bool passCompleted(PassEnd end)
{
    return end == PassEnd::Finished || end == PassEnd::Stopped;
}

// Replays an event list as synthetic input, a slot (kEventSlot) before every event, and can be stopped from any
// thread through stopRequested.
class Player {
public:
    explicit Player(PlatformInput& platform);

    // Plays the events once, and says how the pass ended. Before a button or key event it asks the
    // platform whether the target would drop the input, and before every event and during pauses
    // whether the desktop takes input; either stops the pass before anything is lost. A pass that
    // ends early releases every button and key it pressed and did not release.
    PassEnd play(const std::vector<InputEvent>& events);

    // When set, play ends before its next event (or within a slice of a running pause).
    std::atomic<bool> stopRequested{true};

    // Divides every wait and pause by `factor` (above 0); 1, the default, keeps the recorded pace.
    void setSpeed(double factor) { speed = factor; }
    // The events of the running (or last) pass that have been sent; any thread may read it.
    std::atomic<std::size_t> eventsPlayed{0};

private:
    PlatformInput& platform;
    double speed = 1.0;
};
