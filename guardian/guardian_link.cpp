#include "guardian/guardian_link.h"

namespace {

// A guardian that keeps ending (e.g. it cannot reach the display) is not started again and again.
constexpr int kMostStarts = 3;

}  // namespace

bool GuardianLink::start()
{
    std::lock_guard<std::mutex> lock(mutex);
    return startLocked();
}

void GuardianLink::tell(HeldInputLedger::Op op, std::uint8_t code)
{
    std::lock_guard<std::mutex> lock(mutex);
    if (!startLocked())
        return;
    const std::string message = HeldInputLedger::message(op, code);
    switch (send(message)) {
    case Sent::Whole:
        return;
    case Sent::Busy:
        debugOutput("guardian busy: one press or release not passed on\n");
        return;
    case Sent::Broken:
        // The guardian has gone: start another and tell it this at least.
        close();
        if (startLocked())
            send(message);
        return;
    }
}

void GuardianLink::stop()
{
    std::lock_guard<std::mutex> lock(mutex);
    if (running())
        close();
}

bool GuardianLink::startLocked()
{
    if (running())
        return true;
    if (unavailable)
        return false;
    if (++starts <= kMostStarts) {
        const Spawned spawned = spawn();
        if (spawned != Spawned::Missing)
            return spawned == Spawned::Started;
    }
    debugOutput("no guardian process: input held when this process is killed stays held\n");
    unavailable = true;
    return false;
}
