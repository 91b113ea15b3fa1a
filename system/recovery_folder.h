#pragma once

#include <string>

// The folder that keeps recordings the program had to save on its own because it was ending
// before the user could save them: $XDG_DATA_HOME/tamblo (by default ~/.local/share/tamblo), or
// %LOCALAPPDATA%\tamblo on Windows. Not created.
struct RecoveryFolder {
    std::string path;           // empty when the environment names no such place
    std::string unsetVariable;  // then the variable that would name it, e.g. HOME
};
RecoveryFolder recoveryFolder();
