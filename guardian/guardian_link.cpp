#include "guardian/guardian_link.h"

#include <algorithm>

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
        ended.push_back(endLine());
        collectEnded();
        if (startLocked())
            send(message);
        return;
    }
}

void GuardianLink::stop()
{
    std::vector<std::intptr_t> leftToCollect;
    {
        std::lock_guard<std::mutex> lock(mutex);
        if (running())
            ended.push_back(endLine());
        leftToCollect.swap(ended);
    }
    for (const std::intptr_t process : leftToCollect)
        collect(process, true);
}

void GuardianLink::collectEnded()
{
    ended.erase(std::remove_if(ended.begin(), ended.end(), [this](std::intptr_t process) { return collect(process, false); }),
                ended.end());
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
