#include <windows.h>

#include <string>

#include "system/session.h"

DisplayState displayState()
{
    // A Windows session always has its desktop.
    return {};
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

DesktopLimitation desktopLimitation()
{
    return DesktopLimitation::Unlimited;
}

namespace {

// Named mutexes in the session's own namespace: per user and desktop.
std::wstring stopKeyClaimName(int virtualKey)
{
    return L"Local\\tamblo-stop-key-" + std::to_wstring(virtualKey);
}

}  // namespace

StopKeyClaim::StopKeyClaim(int virtualKey)
    : handle(reinterpret_cast<std::intptr_t>(CreateMutexW(nullptr, FALSE, stopKeyClaimName(virtualKey).c_str())))
{
}

StopKeyClaim::~StopKeyClaim()
{
    if (handle)
        CloseHandle(reinterpret_cast<HANDLE>(handle));
}

bool stopKeyClaimed(int virtualKey)
{
    const HANDLE claim = OpenMutexW(SYNCHRONIZE, FALSE, stopKeyClaimName(virtualKey).c_str());
    if (!claim)
        return false;
    CloseHandle(claim);
    return true;
}
