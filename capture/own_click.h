#pragma once

#include <vector>

#include "capture/input_event.h"

// A rectangle of the screen in the pixels the capture reports, edges included.
struct ScreenArea {
    int left = 0;
    int top = 0;
    int right = -1;
    int bottom = -1;

    bool contains(int x, int y) const { return x >= left && x <= right && y >= top && y <= bottom; }
};

// The left click that starts or stops a recording through the recording window's own button is
// the window's, not the user's: replayed with the window hidden, it would land on whatever lies
// beneath. These turn its press and release (whichever of them the capture holds) into pointer
// samples at the same spot, so every other event keeps its slot and so its pace.
namespace ownClick {

// The first button actions of `events`, when they are the click's release in `area` or its press
// and release there.
void dropAtStart(std::vector<InputEvent>& events, const ScreenArea& area);
// The last button actions of `events`, when they are the click's press in `area` and perhaps its
// release there.
void dropAtEnd(std::vector<InputEvent>& events, const ScreenArea& area);

}  // namespace ownClick
