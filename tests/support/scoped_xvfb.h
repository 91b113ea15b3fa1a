#pragma once

#include <string>
#include <vector>

// A private Xvfb server for the duration of a test, started with extra arguments (for example to
// leave out an extension). Ending it early (stop) is how a test takes the display away.
class ScopedXvfb {
public:
    explicit ScopedXvfb(std::vector<std::string> arguments = {});
    ~ScopedXvfb();
    ScopedXvfb(const ScopedXvfb&) = delete;
    ScopedXvfb& operator=(const ScopedXvfb&) = delete;

    // ":N", or empty when the server could not be started.
    const std::string& displayName() const { return name; }
    // Ends the server now.
    void stop();

private:
    int pid = -1;
    std::string name;
};
