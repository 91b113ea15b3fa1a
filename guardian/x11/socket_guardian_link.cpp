#include "guardian/x11/socket_guardian_link.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdlib>
#include <thread>
#include <utility>

#include "platform/x11/debug_output.h"

extern char** environ;

namespace {

bool isExecutable(const std::string& path)
{
    return !path.empty() && access(path.c_str(), X_OK) == 0;
}

std::string runningExecutableFolder()
{
    char path[PATH_MAX];
    const ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
    if (length <= 0)
        return {};
    const std::string executable(path, static_cast<std::size_t>(length));
    return executable.substr(0, executable.rfind('/'));
}

}  // namespace

std::string guardianExecutable()
{
    const std::string candidates[] = {
        runningExecutableFolder() + "/" TAMBLO_GUARDIAN_FROM_BINDIR,
        TAMBLO_GUARDIAN_INSTALLED,
        TAMBLO_GUARDIAN_IN_BUILD_TREE,
    };
    for (const std::string& candidate : candidates) {
        if (isExecutable(candidate))
            return candidate;
    }
    return {};
}

SocketGuardianLink::SocketGuardianLink(std::string displayName) : displayName(std::move(displayName)) {}

SocketGuardianLink::~SocketGuardianLink()
{
    stop();
}

GuardianLink::Spawned SocketGuardianLink::spawn()
{
    const std::string executable = guardianExecutable();
    if (executable.empty())
        return Spawned::Missing;
    int ends[2];
    if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends) != 0)
        return Spawned::Failed;

    posix_spawn_file_actions_t files;
    posix_spawn_file_actions_init(&files);
    posix_spawn_file_actions_adddup2(&files, ends[1], STDIN_FILENO);
    // It has nothing to say, and must not keep this process's output pipes open after it ends.
    posix_spawn_file_actions_addopen(&files, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&files, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    // Its own process group, so that a terminal's Ctrl-C does not reach it; every signal unblocked
    // and at its default, whatever this process's threads have set.
    sigset_t none;
    sigemptyset(&none);
    sigset_t defaults;
    sigemptyset(&defaults);
    for (int signalNumber : {SIGPIPE, SIGTERM, SIGINT, SIGHUP, SIGCHLD})
        sigaddset(&defaults, signalNumber);
    posix_spawnattr_setpgroup(&attributes, 0);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setsigdefault(&attributes, &defaults);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);

    std::string program = executable;
    std::string display = displayName;
    char* arguments[] = {program.data(), display.data(), nullptr};
    pid_t spawned = -1;
    const int failed = posix_spawn(&spawned, program.c_str(), &files, &attributes, arguments, environ);
    posix_spawn_file_actions_destroy(&files);
    posix_spawnattr_destroy(&attributes);
    ::close(ends[1]);
    if (failed != 0) {
        ::close(ends[0]);
        return Spawned::Failed;
    }
    line = ends[0];
    child = spawned;
    return Spawned::Started;
}

GuardianLink::Sent SocketGuardianLink::send(const std::string& message)
{
    // Two bytes on a local stream socket are written whole or not at all.
    const auto size = static_cast<ssize_t>(message.size());
    if (::send(line, message.data(), message.size(), MSG_NOSIGNAL | MSG_DONTWAIT) == size)
        return Sent::Whole;
    return errno == EAGAIN || errno == EWOULDBLOCK ? Sent::Busy : Sent::Broken;
}

std::intptr_t SocketGuardianLink::endLine()
{
    ::close(line);
    line = -1;
    return std::exchange(child, -1);
}

bool SocketGuardianLink::collect(std::intptr_t process, bool wait)
{
    // It ends as soon as it has released anything left; collect it, but never hang on it.
    const auto pid = static_cast<pid_t>(process);
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(wait ? 1 : 0);
    for (;;) {
        if (waitpid(pid, nullptr, WNOHANG) != 0)
            return true;
        if (std::chrono::steady_clock::now() >= giveUp)
            return wait;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

void SocketGuardianLink::debugOutput(const char* text)
{
    writeDebugOutput(text);
}
