#include "system/recovery_folder.h"

#include <cstdlib>

RecoveryFolder recoveryFolder()
{
    const char* localAppData = std::getenv("LOCALAPPDATA");
    if (localAppData && localAppData[0] != '\0')
        return {std::string(localAppData) + "\\tamblo", {}};
    return {{}, "LOCALAPPDATA"};
}
