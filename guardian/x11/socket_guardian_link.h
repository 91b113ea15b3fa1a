#pragma once

#include <sys/types.h>

#include <string>

#include "guardian/guardian_link.h"

// The line to tamblo-guardian on X11: a local stream socket that is the guardian's standard input.
// When this process ends in any way the guardian reads end of file, releases what this process
// still holds on the display and unbinds its borrowed keycodes.
class SocketGuardianLink : public GuardianLink {
public:
    explicit SocketGuardianLink(std::string displayName);
    ~SocketGuardianLink() override;

private:
    bool running() const override { return line >= 0; }
    Spawned spawn() override;
    Sent send(const std::string& message) override;
    std::intptr_t endLine() override;
    bool collect(std::intptr_t process, bool wait) override;
    void debugOutput(const char* text) override;

    std::string displayName;
    int line = -1;
    pid_t child = -1;
};

// Where the guardian executable is: next to an installed program, at the installed path, or in the
// build tree; empty when none exists.
std::string guardianExecutable();
