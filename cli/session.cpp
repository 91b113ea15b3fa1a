#include "cli/session.h"

#include <algorithm>
#include <chrono>
#include <cstdio>

#include "platform/termination_requests.h"

Session::Session(PlatformInput& platform, const KeyChord& stopKey, std::atomic<bool>& stop)
    : input(platform), stopKey(stopKey), stop(stop)
{
    termination::alsoSet(&stop);
    watcher = std::make_unique<StopKeyListener>(input, stopKey, stop);
    watcher->attachCodec(&codec);
}

Session::~Session()
{
    termination::alsoSet(nullptr);
    if (watching)
        input.stopHookThread();
    watcher.reset();
    termination::cleanupFinished();
}

bool Session::start(std::string& problem)
{
    if (!input.startHookThread(problem))
        return false;
    watching = true;
    if (!input.canWatchKey(stopKey.virtualKey)) {
        problem = "the stop key " + stopKey.name() + " is on no key of this keyboard; choose another with --stop-key";
        return false;
    }
    return true;
}

bool Session::countdown(double seconds, const std::string& what)
{
    if (seconds <= 0)
        return !stop;
    std::fprintf(stderr, "tamblo-cli: %s in %g s; %s stops\n", what.c_str(), seconds, stopKey.name().c_str());
    const auto end = input.now() + std::chrono::duration_cast<PlatformInput::Clock::duration>(
                                        std::chrono::duration<double>(seconds));
    constexpr std::chrono::milliseconds kSlice{5};
    while (!stop && input.now() < end)
        input.sleepUntil(std::min(end, input.now() + kSlice));
    return !stop;
}

int Session::signal() const
{
    return termination::requested();
}

int Session::exitStatus(int status) const
{
    return signal() != 0 ? 128 + signal() : status;
}
