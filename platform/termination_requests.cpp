#include "platform/termination_requests.h"

#include "platform/termination_record.h"

namespace {

std::atomic<int> g_requested{0};
std::atomic<std::atomic<bool>*> g_flag{nullptr};

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
