#include <windows.h>

#include <string>

#include "platform/system_platform.h"

bool displayAvailable(std::string&, std::string&)
{
    // A Windows session always has its desktop.
    return true;
}

std::string instanceName()
{
    // Pipe names are machine-wide: the session and the user name make them per user and desktop.
    DWORD session = 0;
    ProcessIdToSessionId(GetCurrentProcessId(), &session);
    char user[256] = "";
    DWORD length = sizeof user;
    if (!GetUserNameA(user, &length))
        user[0] = '\0';
    return "tamblo-" + std::to_string(session) + "-" + user;
}
