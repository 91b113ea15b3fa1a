#pragma once

#include <sys/types.h>

#include <chrono>
#include <string>
#include <vector>

// tamblo-cli run as a child process, its standard output and error collected.
class CliProcess {
public:
    // `launcher`, when given, is the command that runs tamblo-cli, e.g. {"timeout", "1"}.
    explicit CliProcess(const std::vector<std::string>& arguments, const std::vector<std::string>& launcher = {});
    ~CliProcess();
    CliProcess(const CliProcess&) = delete;
    CliProcess& operator=(const CliProcess&) = delete;

    // Waits until standard error holds `text`; false when the process ended or the time ran out.
    bool waitForError(const std::string& text, std::chrono::milliseconds timeout = std::chrono::seconds(5));
    void signal(int number);
    // The exit status (128+N when killed by signal N); -1 when it has not ended in time.
    int wait(std::chrono::milliseconds timeout = std::chrono::seconds(10));

    const std::string& output() const { return out; }
    const std::string& error() const { return err; }

private:
    // Reads what is ready, waiting up to `timeout` for something.
    bool collect(std::chrono::milliseconds timeout);
    // Takes the exit status once the process has ended; false while it runs.
    bool reap();

    pid_t pid = -1;
    int outPipe = -1;
    int errPipe = -1;
    std::string out;
    std::string err;
    int status = -1;
};

// Runs tamblo-cli to its end.
struct CliResult {
    int status;
    std::string out;
    std::string err;
};
CliResult runCli(const std::vector<std::string>& arguments);
