#pragma once

#include <string>
#include <vector>

class QWidget;

// Tells the user, in a box over `parent`, which recordings are kept in the recovery folder (see
// recovery::save: not saved when a run ended, or their save was cancelled) and where they are.
// Shows nothing when `paths` is empty.
void announceRecoveredScripts(QWidget* parent, const std::vector<std::string>& paths);
