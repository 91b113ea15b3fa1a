#include "platform/file_replace.h"

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool fail(std::string* reason, const char* what, int error)
{
    if (reason)
        *reason = std::string(what) + ": " + std::strerror(error);
    return false;
}

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

bool writeAll(int fd, std::string_view bytes)
{
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

}  // namespace

bool replaceFileContents(const std::string& path, std::string_view bytes, std::string* reason)
{
    if (path.empty()) {
        if (reason)
            *reason = "no file name";
        return false;
    }
    const std::string target = resolveTarget(path);

    static std::atomic<unsigned> counter{0};
    std::string temporary;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        temporary = target + ".tmp" + std::to_string(getpid()) + "-" + std::to_string(counter++);
        fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST)
            break;
    }
    if (fd < 0)
        return fail(reason, "cannot create the file", errno);

    struct stat existing;
    if (stat(target.c_str(), &existing) == 0 && S_ISREG(existing.st_mode))
        fchmod(fd, existing.st_mode & 07777);

    int error = 0;
    const char* step = nullptr;
    if (!writeAll(fd, bytes)) {
        error = errno;
        step = "cannot write the file";
    } else if (fsync(fd) != 0) {
        error = errno;
        step = "cannot write the file to disk";
    }
    if (::close(fd) != 0 && !step) {
        error = errno;
        step = "cannot close the file";
    }
    if (!step && std::rename(temporary.c_str(), target.c_str()) != 0) {
        error = errno;
        step = "cannot replace the file";
    }
    if (step) {
        ::unlink(temporary.c_str());
        return fail(reason, step, error);
    }
    return true;
}
