#pragma once

#include <QString>

#include <cstddef>

#include "playback/player.h"

// The text of the box shown when a playback is over: that it ended, or why it stopped short and
// what the user can do about it. `event` is the number of the event it stopped at (from 1).
QString describePlaybackEnd(PassEnd end, std::size_t event, std::size_t events);
