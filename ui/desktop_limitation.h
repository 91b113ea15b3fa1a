#pragma once

class QWidget;

// Tells the user, in a box over `parent`, what this desktop keeps the program from seeing or
// driving (e.g. the windows of Wayland programs). Shows nothing on a desktop without such limits.
void announceDesktopLimitation(QWidget* parent);
