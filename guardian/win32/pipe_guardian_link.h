#pragma once

#include <windows.h>

#include <string>

#include "guardian/guardian_link.h"

// The line to tamblo-guardian.exe on Windows: an anonymous pipe, whose read end the guardian
// inherits with a handle to this process that it waits on. Once this process has ended however
// it ended (ended from the Task Manager, crashed), or has closed the pipe, the guardian releases
// what this process still holds.
class PipeGuardianLink : public GuardianLink {
public:
    PipeGuardianLink() = default;
    ~PipeGuardianLink() override;

private:
    bool running() const override { return pipe != nullptr; }
    Spawned spawn() override;
    Sent send(const std::string& message) override;
    std::intptr_t endLine() override;
    bool collect(std::intptr_t process, bool wait) override;
    void debugOutput(const char* text) override;

    HANDLE pipe = nullptr;   // our end: write only
    HANDLE child = nullptr;  // the guardian's process
};

// Where tamblo-guardian.exe is: beside the running program, or in the build tree; empty when none
// exists.
std::wstring guardianExecutable();
