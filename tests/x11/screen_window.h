#pragma once

#include <X11/Xlib.h>

// An override-redirect window over the whole default screen, raised, selecting `eventMask`.
// Returns once the server has mapped it, so input sent afterwards reaches it.
Window createScreenWindow(Display* display, long eventMask);
