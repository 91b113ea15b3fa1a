#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "capture/input_event.h"

class PlatformInput;

// Replays an event list as synthetic input, a slot (kEventSlot) before every event, and can be
// stopped and paused from any thread through stopRequested and pauseRequested.
class Player {
public:
    // Why a pass ended.
    enum class PassEnd : std::uint8_t {
        Finished,
        Stopped,
        Unplayable,        // an unknown kind, or a button event whose pointer move failed
        ColourNeverCame,   // a colour wait timed out
    };

    explicit Player(PlatformInput& platform);

    // Plays the events once. True at the end of the list or when stopped; false at an event it
    // cannot play, or at a colour wait that timed out: then the failed event is the one after the
    // eventsPlayed that were sent, and passEnd says which. A pass that ends early releases every
    // button and key it pressed and did not release.
    bool play(const std::vector<InputEvent>& events);

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

    // Why the last pass ended, and for a colour that never came the colour seen last (nothing
    // when the pixel could not be read). For the playing thread, after play returned.
    PassEnd passEnd() const { return ended; }
    std::optional<std::uint32_t> colourSeen() const { return seen; }

private:
    PlatformInput& platform;
    double speed = 1.0;
    PassEnd ended = PassEnd::Finished;
    std::optional<std::uint32_t> seen;
};
