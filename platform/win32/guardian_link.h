#pragma once

#include <windows.h>

#include <cstdint>
#include <mutex>
#include <string>

#include "platform/held_input_ledger.h"

// The injecting side's line to tamblo-guardian.exe, which waits on this process's handle and, once
// this process has ended however it ended (ended from the Task Manager, crashed), releases what it
// still holds. Started on demand and reused; told about every press and release through a pipe,
// with one write that never waits for the guardian. Any thread may use it.
class GuardianLink {
public:
    GuardianLink() = default;
    // Closing the pipe ends the guardian, after it has released anything left.
    ~GuardianLink();

    GuardianLink(const GuardianLink&) = delete;
    GuardianLink& operator=(const GuardianLink&) = delete;

    // Starts the guardian unless one runs; false when none can run.
    bool start();
    // Tells the guardian, starting it first when needed. Say a press before doing it, a release
    // after it is done, so that the guardian never misses a held input.
    void tell(HeldInputLedger::Op op, std::uint8_t code);

private:
    bool startLocked();
    void stopLocked();
    // Writes the whole message unless the pipe is full or broken.
    enum class Sent { Whole, Busy, Broken };
    Sent send(const std::string& message);

    std::mutex mutex;
    HANDLE pipe = nullptr;   // our end: write only
    HANDLE child = nullptr;  // the guardian's process
    int starts = 0;
    bool unavailable = false;  // no executable, or it keeps ending: not started again
};

// Where tamblo-guardian.exe is: beside the running program, or in the build tree; empty when none
// exists.
std::wstring guardianExecutable();
