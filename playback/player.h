#pragma once

#include <atomic>
#include <cstddef>
#include <vector>

#include "capture/input_event.h"

class PlatformInput;

// Replays an event list as synthetic input, a slot (kEventSlot) before every event, and can be stopped from any
// thread through stopRequested.
class Player {
public:
    explicit Player(PlatformInput& platform);

    // Plays the events once. True at the end of the list or when stopped; false at an event it
    // cannot play (unknown kind, or a button event whose pointer move failed). A pass that ends
    // early releases every button and key it pressed and did not release.
    bool play(const std::vector<InputEvent>& events);

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
