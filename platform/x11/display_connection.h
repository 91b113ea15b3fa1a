#pragma once

#include <X11/Xlib.h>

// Connections to the X display (DISPLAY) that do not end the process by themselves when the
// server goes away, and do not print Xlib's messages then: the program ends once, through
// abruptEnd::now, with one line saying that the display was lost. Other connections of the process
// (the toolkit's) keep Xlib's handling.
Display* openDisplayConnection();
void closeDisplayConnection(Display* display);
