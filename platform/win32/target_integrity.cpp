#include "platform/win32/target_integrity.h"

#include <vector>

namespace {

// The mandatory integrity level of a process's token (SECURITY_MANDATORY_*_RID); nothing when the
// token cannot be read.
bool integrityLevel(HANDLE process, DWORD& level)
{
    HANDLE token = nullptr;
    if (!OpenProcessToken(process, TOKEN_QUERY, &token))
        return false;
    DWORD size = 0;
    GetTokenInformation(token, TokenIntegrityLevel, nullptr, 0, &size);
    std::vector<unsigned char> buffer(size);
    const bool read = size != 0 && GetTokenInformation(token, TokenIntegrityLevel, buffer.data(), size, &size);
    CloseHandle(token);
    if (!read)
        return false;
    const PSID sid = reinterpret_cast<const TOKEN_MANDATORY_LABEL*>(buffer.data())->Label.Sid;
    level = *GetSidSubAuthority(sid, *GetSidSubAuthorityCount(sid) - 1u);
    return true;
}

}  // namespace

bool TargetIntegrity::isAbove(HWND window)
{
    if (!window)
        return false;
    const auto known = answers.find(window);
    if (known != answers.end())
        return known->second;
    const bool above = ask(window);
    answers.emplace(window, above);
    return above;
}

bool TargetIntegrity::ask(HWND window)
{
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    if (processId == 0 || processId == GetCurrentProcessId())
        return false;
    if (ownLevel == 0 && !integrityLevel(GetCurrentProcess(), ownLevel))
        return false;
    // Granted for nearly every process, elevated ones included; one that refuses even this is
    // protected, and whether it takes input is not for us to judge.
    const HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId);
    if (!process)
        return false;
    DWORD level = 0;
    const bool read = integrityLevel(process, level);
    const DWORD error = GetLastError();
    CloseHandle(process);
    // A token this process may not even read belongs to a process above it.
    if (!read)
        return error == ERROR_ACCESS_DENIED;
    return level > ownLevel;
}
