#include "system/recovery_folder.h"

#include <cstdlib>

RecoveryFolder recoveryFolder()
{
    // XDG: a relative XDG_DATA_HOME is invalid and ignored.
    const char* dataHome = std::getenv("XDG_DATA_HOME");
    if (dataHome && dataHome[0] == '/')
        return {std::string(dataHome) + "/tamblo", {}};
    const char* home = std::getenv("HOME");
    if (home && home[0] != '\0')
        return {std::string(home) + "/.local/share/tamblo", {}};
    return {{}, "HOME"};
}
