#pragma once

#include <sys/types.h>

#include <functional>
#include <string>
#include <string_view>

#include "system/file_replace.h"

// The system calls that replacing a file makes, each replaceable, so that a test can make one fail
// as a full disk or a failing device would. Each reports failure as the system call does: -1 with
// errno set.
struct PosixFileCalls {
    PosixFileCalls();

    std::function<int(const char* path, int flags, mode_t mode)> open;
    std::function<ssize_t(int fd, const void* data, size_t size, off_t offset)> pwrite;
    std::function<int(int fd, off_t length)> ftruncate;
    std::function<int(int fd)> fsync;
    std::function<int(int fd)> close;
    std::function<int(const char* from, const char* to)> rename;
};

// replaceFileContents through the given calls.
bool replaceFileContents(const std::string& path, std::string_view bytes, FileFailure& failure,
                         const PosixFileCalls& calls);
