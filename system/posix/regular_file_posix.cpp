#include "system/regular_file.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// What a file of this mode is when it is not a regular file; null for a regular file.
const char* otherKind(mode_t mode)
{
    if (S_ISREG(mode))
        return nullptr;
    if (S_ISDIR(mode))
        return "a folder";
    if (S_ISFIFO(mode))
        return "a named pipe";
    if (S_ISSOCK(mode))
        return "a socket";
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return "a device";
    return "a special file";
}

bool isRegular(mode_t mode, std::string& reason)
{
    if (const char* kind = otherKind(mode)) {
        reason = std::string("not a script file but ") + kind;
        return false;
    }
    return true;
}

}  // namespace

RegularFileReader::~RegularFileReader()
{
    close();
}

void RegularFileReader::close()
{
    if (handle >= 0)
        ::close(static_cast<int>(handle));
    handle = -1;
}

bool RegularFileReader::open(const std::string& path, std::string& reason)
{
    close();
    // Looked at before opening, because opening some devices has effects of its own; looked at
    // again on the open descriptor, because the name may have changed in between. O_NONBLOCK keeps
    // the open of a named pipe from waiting for a writer.
    struct stat info;
    if (::stat(path.c_str(), &info) != 0) {
        reason = std::strerror(errno);
        return false;
    }
    if (!isRegular(info.st_mode, reason))
        return false;
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        reason = std::strerror(errno);
        return false;
    }
    if (::fstat(fd, &info) != 0 || !isRegular(info.st_mode, reason)) {
        if (reason.empty())
            reason = std::strerror(errno);
        ::close(fd);
        return false;
    }
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    handle = fd;
    bytes = static_cast<std::uint64_t>(info.st_size);
    return true;
}

long long RegularFileReader::read(char* buffer, std::size_t capacity, std::string& reason)
{
    for (;;) {
        const ssize_t count = ::read(static_cast<int>(handle), buffer, capacity);
        if (count >= 0)
            return count;
        if (errno != EINTR) {
            reason = std::strerror(errno);
            return -1;
        }
    }
}
