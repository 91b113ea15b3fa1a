#include "system/regular_file.h"

#include <windows.h>

#include <algorithm>

#include "system/win32/system_error.h"
#include "system/win32/wide_text.h"

RegularFileReader::~RegularFileReader()
{
    close();
}

void RegularFileReader::close()
{
    if (handle != -1)
        CloseHandle(reinterpret_cast<HANDLE>(handle));
    handle = -1;
}

bool RegularFileReader::open(const std::string& path, std::string& reason)
{
    close();
    const std::optional<std::wstring> wide = utf8ToWide(path);
    if (!wide || wide->empty()) {
        reason = wide ? "no file name" : "the file name is not valid UTF-8";
        return false;
    }
    const DWORD attributes = GetFileAttributesW(wide->c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        reason = "not a script file but a folder";
        return false;
    }
    // Opening a pipe name connects at once or fails (busy); it never waits.
    HANDLE file = CreateFileW(wide->c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        reason = systemErrorText(GetLastError());
        return false;
    }
    const DWORD type = GetFileType(file);
    LARGE_INTEGER size{};
    if (type != FILE_TYPE_DISK || !GetFileSizeEx(file, &size)) {
        reason = type == FILE_TYPE_PIPE ? "not a script file but a named pipe"
                 : type == FILE_TYPE_CHAR ? "not a script file but a device"
                                          : "not a regular file";
        CloseHandle(file);
        return false;
    }
    handle = reinterpret_cast<std::intptr_t>(file);
    bytes = static_cast<std::uint64_t>(size.QuadPart);
    return true;
}

long long RegularFileReader::read(char* buffer, std::size_t capacity, std::string& reason)
{
    DWORD count = 0;
    const auto wanted = static_cast<DWORD>(std::min<std::size_t>(capacity, 1u << 30));
    if (!ReadFile(reinterpret_cast<HANDLE>(handle), buffer, wanted, &count, nullptr)) {
        reason = systemErrorText(GetLastError());
        return -1;
    }
    return count;
}
