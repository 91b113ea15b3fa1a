#include "cli_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <stdexcept>

extern char** environ;

CliProcess::CliProcess(const std::vector<std::string>& arguments, const std::vector<std::string>& launcher)
{
    int outFds[2];
    int errFds[2];
    if (pipe(outFds) != 0 || pipe(errFds) != 0)
        throw std::runtime_error("pipe");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, outFds[1], 1);
    posix_spawn_file_actions_adddup2(&actions, errFds[1], 2);
    posix_spawn_file_actions_addclose(&actions, outFds[0]);
    posix_spawn_file_actions_addclose(&actions, errFds[0]);
    std::vector<std::string> all = launcher;
    all.push_back(TAMBLO_CLI_PATH);
    all.insert(all.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& argument : all)
        argv.push_back(argument.data());
    argv.push_back(nullptr);
    if (posix_spawnp(&pid, all.front().c_str(), &actions, nullptr, argv.data(), environ) != 0)
        pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    close(outFds[1]);
    close(errFds[1]);
    outPipe = outFds[0];
    errPipe = errFds[0];
    if (pid < 0)
        throw std::runtime_error("cannot start " TAMBLO_CLI_PATH);
}

CliProcess::~CliProcess()
{
    if (status < 0 && pid > 0) {
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
    }
    close(outPipe);
    close(errPipe);
}

bool CliProcess::collect(std::chrono::milliseconds timeout)
{
    pollfd fds[2] = {{outPipe, POLLIN, 0}, {errPipe, POLLIN, 0}};
    if (poll(fds, 2, static_cast<int>(timeout.count())) <= 0)
        return false;
    bool read = false;
    char buffer[4096];
    for (int i = 0; i < 2; ++i) {
        if (fds[i].revents & (POLLIN | POLLHUP)) {
            const ssize_t count = ::read(fds[i].fd, buffer, sizeof buffer);
            if (count > 0) {
                (i == 0 ? out : err).append(buffer, static_cast<std::size_t>(count));
                read = true;
            }
        }
    }
    return read;
}

bool CliProcess::reap()
{
    int raw = 0;
    if (status >= 0)
        return true;
    if (waitpid(pid, &raw, WNOHANG) != pid)
        return false;
    status = WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
    while (collect(std::chrono::milliseconds(0))) {
    }
    return true;
}

bool CliProcess::waitForError(const std::string& text, std::chrono::milliseconds timeout)
{
    const auto end = std::chrono::steady_clock::now() + timeout;
    while (err.find(text) == std::string::npos) {
        if (std::chrono::steady_clock::now() >= end || reap())
            return err.find(text) != std::string::npos;
        collect(std::chrono::milliseconds(10));
    }
    return true;
}

void CliProcess::signal(int number)
{
    kill(pid, number);
}

int CliProcess::wait(std::chrono::milliseconds timeout)
{
    const auto end = std::chrono::steady_clock::now() + timeout;
    while (!reap()) {
        if (std::chrono::steady_clock::now() >= end)
            return -1;
        collect(std::chrono::milliseconds(1));
    }
    return status;
}

CliResult runCli(const std::vector<std::string>& arguments)
{
    CliProcess process(arguments);
    const int status = process.wait();
    return {status, process.output(), process.error()};
}
