#pragma once

#include <string>

class QWidget;
struct DisplayState;

// Why the window cannot start on this display, in Chinese and then English, for standard error
// since no window can show it; empty when the display can be used.
std::string displayProblemText(const DisplayState& display);

// Tells the user, in a box over `parent`, what this desktop keeps the program from seeing or
// driving (e.g. the windows of Wayland programs). Shows nothing on a desktop without such limits.
void announceDesktopLimitation(QWidget* parent);
