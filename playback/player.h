#pragma once

#include <atomic>
#include <vector>

#include "capture/input_event.h"

class PlatformInput;

// Replays an event list as synthetic input, 10 ms before every event, and can be stopped from any
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

private:
    PlatformInput& platform;
};
