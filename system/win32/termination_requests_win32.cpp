#include "system/termination_requests.h"
#include "system/termination_record.h"

#include <windows.h>

#include <csignal>
#include <cstdlib>

namespace {

std::atomic<bool> g_cleanupFinished{false};
std::atomic<bool> g_watching{false};

// The system ends the process when the handler of one of these returns, or after about five
// seconds; waiting a little less leaves the program time to release what it holds.
constexpr DWORD kLongestCleanupMs = 4500;

BOOL WINAPI onConsoleEvent(DWORD type)
{
    const int signalNumber = type == CTRL_C_EVENT ? SIGINT : SIGTERM;
    // Asked again while the first request is being handled: end now, unless something that would
    // be lost is still being kept.
    if (!termination::recordRequest(signalNumber) && type == CTRL_C_EVENT && !termination::deferRepeat(signalNumber))
        termination::endAsRepeated(signalNumber);
    if (type == CTRL_CLOSE_EVENT || type == CTRL_LOGOFF_EVENT || type == CTRL_SHUTDOWN_EVENT) {
        for (DWORD waited = 0; waited < kLongestCleanupMs && !g_cleanupFinished; waited += 10)
            Sleep(10);
    }
    return TRUE;
}

}  // namespace

namespace termination {

void watch()
{
    if (g_watching.exchange(true))
        return;
    SetConsoleCtrlHandler(onConsoleEvent, TRUE);
}

int wakeDescriptor()
{
    return -1;
}

void cleanupFinished()
{
    g_cleanupFinished = true;
}

void endAsRepeated(int signalNumber) noexcept
{
    ExitProcess(128 + signalNumber);
}

}  // namespace termination
