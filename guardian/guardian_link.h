#pragma once

#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "guardian/held_input_ledger.h"

// The injecting side's line to its guardian process (tamblo-guardian), which releases what this
// process still holds once this process has ended, however it ended. Started on demand and
// reused; told about every press and release with one write that never waits for the guardian.
// How the guardian is started and written to is the system's: one subclass per backend. Any
// thread may use it.
class GuardianLink {
public:
    virtual ~GuardianLink() = default;

    GuardianLink(const GuardianLink&) = delete;
    GuardianLink& operator=(const GuardianLink&) = delete;

    // Starts the guardian unless one runs; false when none can run.
    bool start();
    // Tells the guardian, starting it first when needed. Say a press or binding before doing it,
    // a release or unbinding after it is done, so that the guardian never misses a held input.
    void tell(HeldInputLedger::Op op, std::uint8_t code);

protected:
    GuardianLink() = default;

    enum class Spawned { Started, Failed, Missing };
    enum class Sent { Whole, Busy, Broken };

    // Ends the line, which ends the guardian once it has released anything left, and collects it
    // and every guardian whose line broke, waiting up to a second for each. A subclass's
    // destructor calls it; it holds no lock while it waits.
    void stop();

private:
    bool startLocked();
    void collectEnded();

    virtual bool running() const = 0;
    // Starts the guardian; Missing when there is no executable to start.
    virtual Spawned spawn() = 0;
    // Writes one whole message, or nothing when the line is full or broken.
    virtual Sent send(const std::string& message) = 0;
    // Closes the line; the guardian then ends by itself. Gives the process, for collect.
    virtual std::intptr_t endLine() = 0;
    // Collects an ended guardian's process: true once it is done with. Without `wait` it only
    // looks; with it, it waits up to a second and then lets the process go.
    virtual bool collect(std::intptr_t process, bool wait) = 0;
    virtual void debugOutput(const char* text) = 0;

    std::mutex mutex;
    int starts = 0;
    bool unavailable = false;  // no executable, or it keeps ending: not started again
    // Guardians whose line broke, not yet collected: a press or release never waits for one, as
    // its caller may hold a lock that pointer queries also take.
    std::vector<std::intptr_t> ended;
};
