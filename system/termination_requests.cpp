#include "system/termination_requests.h"

#include "system/termination_record.h"

namespace {

std::atomic<int> g_requested{0};
std::atomic<std::atomic<bool>*> g_flag{nullptr};
std::atomic<int> g_holds{0};
// A repeated request waiting for the last Hold; 0 for none.
std::atomic<int> g_deferred{0};

}  // namespace

namespace termination {

bool recordRequest(int signalNumber) noexcept
{
    int none = 0;
    const bool first = g_requested.compare_exchange_strong(none, signalNumber);
    if (std::atomic<bool>* flag = g_flag.load())
        flag->store(true);
    return first;
}

// The handler notes the repeat before it looks at the holds, and the last Hold lets go before it
// looks for a repeat: whatever the interleaving, one of them sees the other and ends the program.
bool deferRepeat(int signalNumber) noexcept
{
    g_deferred.store(signalNumber);
    return g_holds.load() > 0;
}

Hold::Hold()
{
    ++g_holds;
}

Hold::~Hold()
{
    if (--g_holds == 0) {
        if (const int repeated = g_deferred.load())
            endAsRepeated(repeated);
    }
}

int requested()
{
    return g_requested.load();
}

void alsoSet(std::atomic<bool>* flag)
{
    g_flag = flag;
    if (flag && g_requested.load() != 0)
        flag->store(true);
}

}  // namespace termination
