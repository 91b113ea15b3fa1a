#include "system/file_replace.h"

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <optional>

#include "system/win32/system_error.h"
#include "system/win32/wide_text.h"

namespace {

// ERROR_DISK_QUOTA_EXCEEDED, which mingw-w64's headers lack.
constexpr DWORD kErrorDiskQuotaExceeded = 1295;

FileFailureCause causeOf(DWORD error)
{
    switch (error) {
    case ERROR_ACCESS_DENIED:
        return FileFailureCause::NoPermission;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        return FileFailureCause::DiskFull;
    case ERROR_PATH_NOT_FOUND:
    case ERROR_DIRECTORY:
        return FileFailureCause::NoSuchFolder;
    case ERROR_WRITE_PROTECT:
        return FileFailureCause::ReadOnlyFileSystem;
    case ERROR_FILE_TOO_LARGE:
        return FileFailureCause::FileTooLarge;
    case kErrorDiskQuotaExceeded:
        return FileFailureCause::QuotaExceeded;
    default:
        return FileFailureCause::Other;
    }
}

// The first step that failed, with the error code it left.
class FirstFailure {
public:
    // Call right after the failing call, while GetLastError is still its.
    void note(const char* failedStep)
    {
        if (!step) {
            step = failedStep;
            error = GetLastError();
        }
    }
    explicit operator bool() const { return step != nullptr; }
    bool report(FileFailure& failure) const
    {
        failure.cause = causeOf(error);
        failure.step = step;
        failure.systemText = systemErrorText(error);
        return false;
    }

private:
    const char* step = nullptr;
    DWORD error = ERROR_SUCCESS;
};

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

bool fileExists(const std::wstring& path)
{
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool readAll(HANDLE file, std::string& bytes)
{
    char buffer[65536];
    for (;;) {
        DWORD got = 0;
        if (!ReadFile(file, buffer, sizeof buffer, &got, nullptr))
            return false;
        if (got == 0)
            return true;
        bytes.append(buffer, got);
    }
}

bool rewriteFrom(HANDLE file, std::string_view bytes)
{
    LARGE_INTEGER start{};
    return SetFilePointerEx(file, start, nullptr, FILE_BEGIN) && writeAll(file, bytes) && SetEndOfFile(file);
}

// For a file that may be written in a folder that may not: the new bytes go over the old ones. On
// failure the old bytes are put back, so the file is not left half old and half new.
bool rewriteInPlace(const std::wstring& target, std::string_view bytes, FileFailure& failure)
{
    FirstFailure first;
    HANDLE file = CreateFileW(target.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        first.note("cannot open the file for writing");
        return first.report(failure);
    }
    std::string previous;
    if (!readAll(file, previous)) {
        first.note("cannot read the file");
        CloseHandle(file);
        return first.report(failure);
    }
    if (!rewriteFrom(file, bytes))
        first.note("cannot write the file");
    else if (!FlushFileBuffers(file))
        first.note("cannot write the file to disk");
    if (first && rewriteFrom(file, previous))
        FlushFileBuffers(file);
    if (!CloseHandle(file))
        first.note("cannot close the file");
    return first ? first.report(failure) : true;
}

}  // namespace

bool replaceFileContents(const std::string& path, std::string_view bytes, FileFailure& failure)
{
    if (path.empty()) {
        failure = FileFailure{FileFailureCause::Other, "no file name", ""};
        return false;
    }
    // File names arrive as UTF-8 and go to the wide-character API, so that any name the user can
    // type survives, not only those of the local 8-bit code page.
    const std::optional<std::wstring> target = utf8ToWide(path);
    if (!target) {
        failure = FileFailure{FileFailureCause::Other, "the file name is not valid UTF-8", ""};
        return false;
    }

    FirstFailure first;
    std::wstring temporary;
    HANDLE file = createTemporary(*target, temporary);
    if (file == INVALID_HANDLE_VALUE) {
        first.note("cannot create the file");
        // A folder that may not be written to: the file itself may still be writable.
        if (GetLastError() == ERROR_ACCESS_DENIED && fileExists(*target))
            return rewriteInPlace(*target, bytes, failure);
        return first.report(failure);
    }

    if (!writeAll(file, bytes))
        first.note("cannot write the file");
    else if (!FlushFileBuffers(file))
        first.note("cannot write the file to disk");
    if (!CloseHandle(file))
        first.note("cannot close the file");
    // Write-through: the rename is on disk when the call returns, folder entry included.
    if (!first && !MoveFileExW(temporary.c_str(), target->c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        first.note("cannot replace the file");
    if (first) {
        DeleteFileW(temporary.c_str());
        return first.report(failure);
    }
    return true;
}
