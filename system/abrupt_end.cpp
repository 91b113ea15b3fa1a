#include "system/abrupt_end.h"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <thread>

namespace {

std::mutex g_rescueMutex;
std::function<std::string()> g_rescue;
std::function<std::string()> g_cause;
std::string g_notedCause;
std::atomic<bool> g_ending{false};
std::atomic<bool> g_planned{false};

std::string runRescue()
{
    std::lock_guard<std::mutex> lock(g_rescueMutex);
    if (!g_rescue)
        return {};
    try {
        return g_rescue();
    } catch (...) {
        return "the unsaved recording could not be saved";
    }
}

std::string unplannedExitCause()
{
    // The backend's look may take a while (a display going away is waited for): it runs before
    // the lock is taken, so the window setting its rescue or noting a cause never waits for it.
    std::function<std::string()> cause;
    {
        std::lock_guard<std::mutex> lock(g_rescueMutex);
        cause = g_cause;
    }
    const std::string found = cause ? cause() : std::string();
    std::lock_guard<std::mutex> lock(g_rescueMutex);
    return found.empty() ? g_notedCause : found;
}

void onExit()
{
    if (!g_planned)
        abruptEnd::now(unplannedExitCause());
}

}  // namespace

namespace abruptEnd {

void setRescue(std::function<std::string()> rescue)
{
    std::lock_guard<std::mutex> lock(g_rescueMutex);
    g_rescue = std::move(rescue);
}

void now(const std::string& why)
{
    if (g_ending.exchange(true)) {
        // Another thread is ending the process already.
        for (;;)
            std::this_thread::sleep_for(std::chrono::hours(1));
    }
    const std::string note = runRescue();
    std::string line = why;
    if (!note.empty())
        line += (line.empty() ? "" : "; ") + note;
    if (!line.empty()) {
        std::fprintf(stderr, "tamblo: %s\n", line.c_str());
        std::fflush(stderr);
    }
    std::_Exit(1);
}

void catchUnplannedExit()
{
    static std::once_flag registered;
    std::call_once(registered, [] { std::atexit(onExit); });
}

void plannedEnd()
{
    g_planned = true;
}

void explainUnplannedExits(std::function<std::string()> cause)
{
    std::lock_guard<std::mutex> lock(g_rescueMutex);
    g_cause = std::move(cause);
}

void noteCause(const std::string& cause)
{
    std::lock_guard<std::mutex> lock(g_rescueMutex);
    g_notedCause = cause;
}

}  // namespace abruptEnd
