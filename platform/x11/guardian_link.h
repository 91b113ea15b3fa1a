#pragma once

#include <sys/types.h>

#include <cstdint>
#include <string>

#include "platform/held_input_ledger.h"

// The injecting side's line to a guardian process (tamblo-guardian), which releases what this
// process still holds on the display and unbinds its borrowed keycodes once this process has
// ended, however it ended. Started on demand and reused; told about every press, release and
// binding with one non-blocking write, never waiting for the guardian.
class GuardianLink {
public:
    explicit GuardianLink(std::string displayName);
    // Closing the line ends the guardian, after it has released anything left.
    ~GuardianLink();

    GuardianLink(const GuardianLink&) = delete;
    GuardianLink& operator=(const GuardianLink&) = delete;

    // Starts the guardian unless one runs; false when none can run.
    bool start();
    // Tells the guardian, starting it first when needed. Say a press or binding before doing it,
    // a release or unbinding after it is done, so that the guardian never misses a held input.
    void tell(HeldInputLedger::Op op, std::uint8_t code);

    // The guardian's process id, or -1 while none runs.
    pid_t guardianProcess() const { return child; }

private:
    void stop();

    std::string displayName;
    int line = -1;
    pid_t child = -1;
    int starts = 0;
    bool unavailable = false;  // no executable, or it keeps ending: not started again
};

// Where the guardian executable is: next to an installed program, at the installed path, or in the
// build tree; empty when none exists.
std::string guardianExecutable();
