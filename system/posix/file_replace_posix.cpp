#include "system/file_replace.h"
#include "system/posix/posix_file_calls.h"

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <csignal>
#include <langinfo.h>
#include <locale.h>
#include <pthread.h>
#include <sys/stat.h>
#include <unistd.h>

PosixFileCalls::PosixFileCalls()
    : open([](const char* path, int flags, mode_t mode) { return ::open(path, flags, mode); }),
      pwrite([](int fd, const void* data, size_t size, off_t offset) { return ::pwrite(fd, data, size, offset); }),
      ftruncate([](int fd, off_t length) { return ::ftruncate(fd, length); }),
      fsync([](int fd) { return ::fsync(fd); }),
      close([](int fd) { return ::close(fd); }),
      rename([](const char* from, const char* to) { return std::rename(from, to); })
{
}

namespace {

FileFailureCause causeOf(int error)
{
    switch (error) {
    case EACCES:
    case EPERM:
        return FileFailureCause::NoPermission;
    case ENOSPC:
        return FileFailureCause::DiskFull;
    case ENOENT:
    case ENOTDIR:
        return FileFailureCause::NoSuchFolder;
    case EROFS:
        return FileFailureCause::ReadOnlyFileSystem;
    case EFBIG:
        return FileFailureCause::FileTooLarge;
    case EDQUOT:
        return FileFailureCause::QuotaExceeded;
    default:
        return FileFailureCause::Other;
    }
}

// The system's wording in UTF-8: the locale's own where the locale speaks UTF-8, English otherwise.
std::string systemErrorText(int error)
{
    if (std::strcmp(nl_langinfo(CODESET), "UTF-8") == 0)
        return std::strerror(error);
    static const locale_t english = newlocale(LC_ALL_MASK, "C", locale_t{});
    return english ? strerror_l(error, english) : std::strerror(error);
}

// A write past the file-size limit (RLIMIT_FSIZE) raises SIGXFSZ, which by default ends the
// process, and the recording with it, where the user should read "file too large" instead. While
// this lives the signal is held back for the calling thread, and the one a write raised is dropped.
class FileSizeSignalHeld {
public:
    FileSizeSignalHeld()
    {
        sigemptyset(&fileSize);
        sigaddset(&fileSize, SIGXFSZ);
        pthread_sigmask(SIG_BLOCK, &fileSize, &previousMask);
        pendingBefore = isPending();
    }
    ~FileSizeSignalHeld()
    {
        if (!pendingBefore && isPending()) {
            const timespec noWait{};
            sigtimedwait(&fileSize, nullptr, &noWait);
        }
        pthread_sigmask(SIG_SETMASK, &previousMask, nullptr);
    }
    FileSizeSignalHeld(const FileSizeSignalHeld&) = delete;
    FileSizeSignalHeld& operator=(const FileSizeSignalHeld&) = delete;

private:
    static bool isPending()
    {
        sigset_t pending;
        sigpending(&pending);
        return sigismember(&pending, SIGXFSZ) == 1;
    }

    sigset_t fileSize;
    sigset_t previousMask;
    bool pendingBefore = false;
};

// The first step that failed, with the errno it left.
class FirstFailure {
public:
    // Call right after the failing system call, while errno is still its.
    void note(const char* failedStep)
    {
        if (!step) {
            step = failedStep;
            error = errno;
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
    int error = 0;
};

// A symbolic link is replaced through to its target, so the link itself survives the save.
std::string resolveTarget(const std::string& path)
{
    struct stat info;
    if (lstat(path.c_str(), &info) == 0 && S_ISLNK(info.st_mode)) {
        char resolved[PATH_MAX];
        if (realpath(path.c_str(), resolved))
            return resolved;
    }
    return path;
}

std::string folderOf(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

bool isRegularFile(const std::string& path)
{
    struct stat info;
    return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

bool writeAll(int fd, std::string_view bytes, const PosixFileCalls& calls)
{
    off_t offset = 0;
    while (!bytes.empty()) {
        const ssize_t written = calls.pwrite(fd, bytes.data(), bytes.size(), offset);
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
        offset += written;
    }
    return true;
}

bool readAll(int fd, std::string& bytes)
{
    char buffer[65536];
    for (;;) {
        const ssize_t got = ::pread(fd, buffer, sizeof buffer, static_cast<off_t>(bytes.size()));
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return got == 0;
        bytes.append(buffer, static_cast<std::size_t>(got));
    }
}

// A new, empty file beside the target; its name goes to `temporary`. -1 with errno on failure.
int createTemporary(const std::string& target, std::string& temporary, const PosixFileCalls& calls)
{
    static std::atomic<unsigned> counter{0};
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        temporary = target + ".tmp" + std::to_string(getpid()) + "-" + std::to_string(counter++);
        fd = calls.open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST)
            break;
    }
    return fd;
}

// For a file that may be written in a folder that may not: the new bytes go over the old ones. On
// failure the old bytes are put back, so the file is not left half old and half new.
bool rewriteInPlace(const std::string& target, std::string_view bytes, FileFailure& failure,
                    const PosixFileCalls& calls)
{
    FirstFailure first;
    const int fd = calls.open(target.c_str(), O_RDWR | O_CLOEXEC, 0);
    if (fd < 0) {
        first.note("cannot open the file for writing");
        return first.report(failure);
    }
    std::string previous;
    if (!readAll(fd, previous)) {
        first.note("cannot read the file");
        calls.close(fd);
        return first.report(failure);
    }
    if (!writeAll(fd, bytes, calls) || calls.ftruncate(fd, static_cast<off_t>(bytes.size())) != 0)
        first.note("cannot write the file");
    else if (calls.fsync(fd) != 0)
        first.note("cannot write the file to disk");
    if (first && writeAll(fd, previous, calls) && calls.ftruncate(fd, static_cast<off_t>(previous.size())) == 0)
        calls.fsync(fd);
    if (calls.close(fd) != 0)
        first.note("cannot close the file");
    return first ? first.report(failure) : true;
}

// Makes the rename itself survive a power cut. A folder that cannot be opened, or a file system
// that cannot sync folders (EINVAL), leaves the rename as durable as that system makes it.
bool syncFolder(const std::string& folder, FileFailure& failure, const PosixFileCalls& calls)
{
    const int fd = calls.open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC, 0);
    if (fd < 0)
        return true;
    FirstFailure first;
    if (calls.fsync(fd) != 0 && errno != EINVAL)
        first.note("cannot write the folder to disk");
    calls.close(fd);
    return first ? first.report(failure) : true;
}

}  // namespace

bool replaceFileContents(const std::string& path, std::string_view bytes, FileFailure& failure,
                         const PosixFileCalls& calls)
{
    if (path.empty()) {
        failure = FileFailure{FileFailureCause::Other, "no file name", ""};
        return false;
    }
    const std::string target = resolveTarget(path);
    const FileSizeSignalHeld fileSizeSignal;

    std::string temporary;
    const int fd = createTemporary(target, temporary, calls);
    if (fd < 0) {
        FirstFailure creating;
        creating.note("cannot create the file");
        const int error = errno;
        // A read-only folder: the file itself may still be writable.
        if ((error == EACCES || error == EPERM) && isRegularFile(target))
            return rewriteInPlace(target, bytes, failure, calls);
        return creating.report(failure);
    }

    struct stat existing;
    if (stat(target.c_str(), &existing) == 0 && S_ISREG(existing.st_mode))
        fchmod(fd, existing.st_mode & 07777);

    FirstFailure first;
    if (!writeAll(fd, bytes, calls))
        first.note("cannot write the file");
    else if (calls.fsync(fd) != 0)
        first.note("cannot write the file to disk");
    if (calls.close(fd) != 0)
        first.note("cannot close the file");
    if (!first && calls.rename(temporary.c_str(), target.c_str()) != 0)
        first.note("cannot replace the file");
    if (first) {
        ::unlink(temporary.c_str());
        return first.report(failure);
    }
    return syncFolder(folderOf(target), failure, calls);
}

bool replaceFileContents(const std::string& path, std::string_view bytes, FileFailure& failure)
{
    const PosixFileCalls calls;
    return replaceFileContents(path, bytes, failure, calls);
}
