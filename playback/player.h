#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <optional>
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
    ColourNeverCame,  // a colour wait timed out
    ElevatedTarget,   // the target window runs with more rights than this program, and drops input
    LockedDesktop,    // the screen was locked, or another session took the screen
    Suspended,        // the computer went to sleep
};

// Whether the pass did what it was asked: played to the end, or was stopped by request.
inline bool passCompleted(PassEnd end)
{
    return end == PassEnd::Finished || end == PassEnd::Stopped;
}

// Replays an event list as synthetic input, a slot (kEventSlot) before every event, and can be
// stopped and paused from any thread through stopRequested and pauseRequested.
class Player {
public:
    explicit Player(PlatformInput& platform);

    // Plays the events once, and says how the pass ended. Before a button or key event it asks the
    // platform whether the target would drop the input, and before every event and during pauses
    // and waits whether the desktop takes input; either stops the pass before anything is lost. A
    // pass that ends early releases every button and key it pressed and did not release; the
    // event it ended at is the one after the eventsPlayed that were sent.
    PassEnd play(const std::vector<InputEvent>& events);

    // When set, play ends before its next event (or within a slice of a running pause or wait).
    std::atomic<bool> stopRequested{true};
    // While set, play sends nothing: from its next event (or at once in a pause or wait) it
    // releases what the script holds, and presses it again when cleared. The time paused is not
    // counted against the script's pauses and waits.
    std::atomic<bool> pauseRequested{false};
    // Whether a pause is being sat out now; any thread may read it.
    std::atomic<bool> paused{false};

    // Divides every wait before an event and every pause by `factor` (above 0); 1, the default,
    // keeps the recorded pace. A colour wait's timeout is the screen's, and is never scaled.
    void setSpeed(double factor) { speed = factor; }
    // The events of the running (or last) pass that have been sent; any thread may read it.
    std::atomic<std::size_t> eventsPlayed{0};

    // For a colour that never came, the colour seen last (nothing when the pixel could not be
    // read). For the playing thread, after play returned.
    std::optional<std::uint32_t> colourSeen() const { return seen; }

private:
    PlatformInput& platform;
    double speed = 1.0;
    std::optional<std::uint32_t> seen;
};
