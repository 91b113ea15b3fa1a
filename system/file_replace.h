#pragma once

#include <string>
#include <string_view>

// The causes of a failed write that a user can do something about, each named by the window in
// its own language.
enum class FileFailureCause {
    Other,
    NoPermission,
    DiskFull,
    NoSuchFolder,
    ReadOnlyFileSystem,
    FileTooLarge,
    QuotaExceeded,
};

// Why a file could not be written: the cause, the step that failed in English ("cannot create the
// file") and the system's own text for the error, in UTF-8 (empty when no system call failed).
struct FileFailure {
    FileFailureCause cause = FileFailureCause::Other;
    std::string step;
    std::string systemText;

    // One line of English, e.g. "cannot create the file: Permission denied".
    std::string reason() const;
};

// Replaces the file at `path` (UTF-8) with `bytes`, atomically: the bytes go to a temporary file in
// the same folder, which is renamed over the target only once it is complete and on disk; the
// folder is then written to disk too. On failure the previous file is left byte-for-byte intact, no
// temporary file remains, false is returned and `failure` says why.
//
// A writable file in a folder where no temporary file can be made is rewritten in place instead;
// should that fail, the previous contents are written back as far as the system allows.
bool replaceFileContents(const std::string& path, std::string_view bytes, FileFailure& failure);
// The same, with the reason (if asked for) as one line of English.
bool replaceFileContents(const std::string& path, std::string_view bytes, std::string* reason);
