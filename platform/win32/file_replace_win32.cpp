#include "platform/file_replace.h"

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <optional>

#include "platform/win32/system_error.h"

namespace {

bool fail(std::string* reason, const std::string& what)
{
    if (reason)
        *reason = what;
    return false;
}

bool failWithSystemError(std::string* reason, const char* what, DWORD error)
{
    return fail(reason, std::string(what) + ": " + systemErrorText(error));
}

// File names arrive as UTF-8 and go to the wide-character API, so that any name the user can
// type survives, not only those of the local 8-bit code page.
std::optional<std::wstring> toUtf16(const std::string& utf8)
{
    const int size = static_cast<int>(utf8.size());
    const int length = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), size, nullptr, 0);
    if (length <= 0)
        return std::nullopt;
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), size, wide.data(), length);
    return wide;
}

bool writeAll(HANDLE file, std::string_view bytes)
{
    constexpr std::size_t kChunk = 1u << 30;
    while (!bytes.empty()) {
        DWORD written = 0;
        const auto size = static_cast<DWORD>(std::min(bytes.size(), kChunk));
        if (!WriteFile(file, bytes.data(), size, &written, nullptr))
            return false;
        bytes.remove_prefix(written);
    }
    return true;
}

// A new, empty file beside the target; its name goes to `temporary`.
HANDLE createTemporary(const std::wstring& target, std::wstring& temporary)
{
    static std::atomic<unsigned> counter{0};
    HANDLE file = INVALID_HANDLE_VALUE;
    for (int attempt = 0; attempt < 100 && file == INVALID_HANDLE_VALUE; ++attempt) {
        temporary = target + L".tmp" + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(counter++);
        file = CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE && GetLastError() != ERROR_FILE_EXISTS)
            break;
    }
    return file;
}

}  // namespace

bool replaceFileContents(const std::string& path, std::string_view bytes, std::string* reason)
{
    if (path.empty())
        return fail(reason, "no file name");
    const std::optional<std::wstring> target = toUtf16(path);
    if (!target)
        return fail(reason, "the file name is not valid UTF-8");

    std::wstring temporary;
    HANDLE file = createTemporary(*target, temporary);
    if (file == INVALID_HANDLE_VALUE)
        return failWithSystemError(reason, "cannot create the file", GetLastError());

    const char* step = nullptr;
    DWORD error = ERROR_SUCCESS;
    if (!writeAll(file, bytes)) {
        error = GetLastError();
        step = "cannot write the file";
    } else if (!FlushFileBuffers(file)) {
        error = GetLastError();
        step = "cannot write the file to disk";
    }
    if (!CloseHandle(file) && !step) {
        error = GetLastError();
        step = "cannot close the file";
    }
    if (!step && !MoveFileExW(temporary.c_str(), target->c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        error = GetLastError();
        step = "cannot replace the file";
    }
    if (step) {
        DeleteFileW(temporary.c_str());
        return failWithSystemError(reason, step, error);
    }
    return true;
}
