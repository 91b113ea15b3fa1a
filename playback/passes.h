#pragma once

#include <functional>
#include <vector>

#include "capture/input_event.h"
#include "playback/player.h"

// How many passes a playback plays.
struct PassCount {
    long long passes = 1;
    bool untilStopped = false;  // passes is then not read
};

// What a pass that meets an event it cannot play does to the passes after it. A pass stopped
// because its input would be lost (an elevated target, a locked screen, sleep), or at a colour that
// never came, always ends the playback.
enum class FailedPass { EndsPlayback, IsPlayedOver };

// Plays `events` pass after pass: the first pass always, each further one while the count allows
// and the player's stop flag is clear (the player also reads it before every event). The caller
// clears the flag before, at the moment a stop may first come; it is clear again once the passes
// are over, so the stop key re-arms. `beforePass` is told each pass's number, from 1. Returns how
// the last pass ended: Finished when all were played, Stopped by the flag, or why one stopped short.
PassEnd playPasses(Player& player, const std::vector<InputEvent>& events, const PassCount& count,
                   FailedPass failedPass, const std::function<void(long long pass)>& beforePass = {});
