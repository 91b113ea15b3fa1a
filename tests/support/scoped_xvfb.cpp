#include "scoped_xvfb.h"

#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

ScopedXvfb::ScopedXvfb(std::vector<std::string> arguments)
{
    int ready[2];
    if (pipe(ready) != 0)
        return;
    arguments.insert(arguments.begin(), {"Xvfb", "-displayfd", std::to_string(ready[1]), "-nolisten", "tcp", "-noreset"});
    std::vector<char*> argv;
    for (std::string& argument : arguments)
        argv.push_back(argument.data());
    argv.push_back(nullptr);
    pid_t child = -1;
    if (posix_spawnp(&child, "Xvfb", nullptr, nullptr, argv.data(), environ) == 0)
        pid = child;
    close(ready[1]);
    // The server writes its display number once it accepts connections.
    std::string number;
    pollfd readable{ready[0], POLLIN, 0};
    char digit = 0;
    while (pid > 0 && poll(&readable, 1, 10000) == 1 && read(ready[0], &digit, 1) == 1 && digit != '\n')
        number += digit;
    close(ready[0]);
    if (!number.empty())
        name = ":" + number;
}

ScopedXvfb::~ScopedXvfb()
{
    stop();
}

void ScopedXvfb::stop()
{
    if (pid <= 0)
        return;
    kill(pid, SIGTERM);
    waitpid(pid, nullptr, 0);
    pid = -1;
}
