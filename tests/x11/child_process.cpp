#include "child_process.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <sstream>
#include <thread>

extern char** environ;

ChildProcess::ChildProcess(const std::string& program, const std::vector<std::string>& arguments,
                           const std::string& display)
{
    int outputPipe[2];
    int errorPipe[2];
    if (pipe2(outputPipe, O_CLOEXEC) != 0 || pipe2(errorPipe, O_CLOEXEC) != 0)
        return;
    posix_spawn_file_actions_t files;
    posix_spawn_file_actions_init(&files);
    posix_spawn_file_actions_adddup2(&files, outputPipe[1], STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&files, errorPipe[1], STDERR_FILENO);

    std::vector<std::string> environment;
    for (char** variable = environ; *variable; ++variable) {
        if (display.empty() || std::string(*variable).rfind("DISPLAY=", 0) != 0)
            environment.emplace_back(*variable);
    }
    if (!display.empty())
        environment.push_back("DISPLAY=" + display);
    std::vector<std::string> words{program};
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);
    std::vector<char*> envp;
    for (std::string& variable : environment)
        envp.push_back(variable.data());
    envp.push_back(nullptr);

    if (posix_spawn(&child, program.c_str(), &files, nullptr, argv.data(), envp.data()) != 0)
        child = -1;
    posix_spawn_file_actions_destroy(&files);
    close(outputPipe[1]);
    close(errorPipe[1]);
    output = outputPipe[0];
    error = errorPipe[0];
    fcntl(output, F_SETFL, O_NONBLOCK);
    fcntl(error, F_SETFL, O_NONBLOCK);
}

ChildProcess::~ChildProcess()
{
    if (child > 0) {
        kill(child, SIGKILL);
        waitpid(child, nullptr, 0);
    }
    for (int descriptor : {output, error}) {
        if (descriptor >= 0)
            close(descriptor);
    }
}

void ChildProcess::drain(int& descriptor, std::string& into)
{
    char bytes[4096];
    ssize_t count = 0;
    while (descriptor >= 0 && (count = read(descriptor, bytes, sizeof bytes)) > 0)
        into.append(bytes, static_cast<std::size_t>(count));
}

bool ChildProcess::awaitLine(const std::string& line, std::chrono::milliseconds timeout)
{
    const auto giveUp = std::chrono::steady_clock::now() + timeout;
    while (std::chrono::steady_clock::now() < giveUp) {
        drain(output, outputText);
        if (("\n" + outputText).find("\n" + line + "\n") != std::string::npos)
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return false;
}

int ChildProcess::await(std::chrono::milliseconds timeout)
{
    const auto giveUp = std::chrono::steady_clock::now() + timeout;
    int status = 0;
    while (child > 0) {
        drain(error, errorText);
        if (waitpid(child, &status, WNOHANG) == child) {
            child = -1;
            drain(error, errorText);
            return status;
        }
        if (std::chrono::steady_clock::now() >= giveUp)
            return -1;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return -1;
}

std::string ChildProcess::errorOutput()
{
    drain(error, errorText);
    return errorText;
}

std::vector<pid_t> childrenNamed(pid_t parent, const std::string& name)
{
    std::vector<pid_t> found;
    DIR* processes = opendir("/proc");
    if (!processes)
        return found;
    while (const dirent* entry = readdir(processes)) {
        const pid_t pid = static_cast<pid_t>(std::atoi(entry->d_name));
        if (pid <= 0)
            continue;
        // /proc/PID/stat: pid (comm) state ppid ...
        std::ifstream stat("/proc/" + std::string(entry->d_name) + "/stat");
        std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
        const auto open = text.find('(');
        const auto close = text.rfind(')');
        if (open == std::string::npos || close == std::string::npos)
            continue;
        std::istringstream rest(text.substr(close + 1));
        char state = 0;
        pid_t parentOfIt = 0;
        rest >> state >> parentOfIt;
        // A zombie has ended already; only living guardians count.
        if (parentOfIt == parent && state != 'Z' && text.substr(open + 1, close - open - 1) == name.substr(0, 15))
            found.push_back(pid);
    }
    closedir(processes);
    return found;
}
