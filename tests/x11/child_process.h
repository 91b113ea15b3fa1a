#pragma once

#include <sys/types.h>

#include <chrono>
#include <string>
#include <vector>

// A program started by a test, with its standard output and error read through pipes.
class ChildProcess {
public:
    // Starts `program` with `arguments`; DISPLAY is `display` when given.
    ChildProcess(const std::string& program, const std::vector<std::string>& arguments,
                 const std::string& display = {});
    // Kills the child if it still runs.
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    pid_t pid() const { return child; }
    // Waits until the child writes `line` on its standard output.
    bool awaitLine(const std::string& line, std::chrono::milliseconds timeout);
    // Waits for the child to end; its wait status, or -1 on timeout.
    int await(std::chrono::milliseconds timeout);
    // Everything it wrote on standard error so far (the whole of it once it has ended).
    std::string errorOutput();

private:
    void drain(int& descriptor, std::string& into);

    pid_t child = -1;
    int output = -1;
    int error = -1;
    std::string outputText;
    std::string errorText;
};

// Processes whose parent is `parent` and whose command name is `name`.
std::vector<pid_t> childrenNamed(pid_t parent, const std::string& name);
