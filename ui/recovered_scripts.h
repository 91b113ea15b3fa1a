#pragma once

#include <string>
#include <vector>

class QWidget;

// Tells the user, in a box over `parent`, which recordings an earlier run had to keep on its own
// (see recovery::save) and where they are. Shows nothing when `paths` is empty.
void announceRecoveredScripts(QWidget* parent, const std::vector<std::string>& paths);
