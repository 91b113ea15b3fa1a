#include "system/recovery_folder.h"

#include <windows.h>
#include <knownfolders.h>
#include <shlobj.h>

#include "system/win32/wide_text.h"

RecoveryFolder recoveryFolder()
{
    // From the shell, not from the environment: a narrow getenv gives the LOCALAPPDATA variable in
    // the ANSI code page, which cannot name every user's profile folder.
    wchar_t* localAppData = nullptr;
    std::string folder;
    if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_LocalAppData, KF_FLAG_DEFAULT, nullptr, &localAppData)))
        folder = wideToUtf8(localAppData);
    CoTaskMemFree(localAppData);
    if (folder.empty())
        return {{}, "LOCALAPPDATA"};
    return {folder + "\\tamblo", {}};
}
