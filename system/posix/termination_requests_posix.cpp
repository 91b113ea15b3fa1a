#include "system/termination_requests.h"
#include "system/termination_record.h"

#include <csignal>
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace {

constexpr int kWatchedSignals[] = {SIGTERM, SIGINT, SIGHUP};

int g_wakePipe[2] = {-1, -1};
std::atomic<bool> g_watching{false};

void onRequest(int signalNumber)
{
    const int savedErrno = errno;
    // Asked again while the first request is being handled: end now, the default way, unless
    // something that would be lost is still being kept.
    if (!termination::recordRequest(signalNumber) && !termination::deferRepeat(signalNumber))
        termination::endAsRepeated(signalNumber);
    const char byte = 1;
    if (write(g_wakePipe[1], &byte, 1) < 0) {
        // The pipe is non-blocking; a full pipe is already readable.
    }
    errno = savedErrno;
}

}  // namespace

namespace termination {

void watch()
{
    if (g_watching.exchange(true))
        return;
    if (pipe(g_wakePipe) == 0) {
        for (int end : g_wakePipe) {
            fcntl(end, F_SETFD, FD_CLOEXEC);
            fcntl(end, F_SETFL, O_NONBLOCK);
        }
    }
    struct sigaction action {};
    action.sa_handler = onRequest;
    sigemptyset(&action.sa_mask);
    for (int signalNumber : kWatchedSignals)
        sigaddset(&action.sa_mask, signalNumber);
    action.sa_flags = SA_RESTART;
    for (int signalNumber : kWatchedSignals)
        sigaction(signalNumber, &action, nullptr);
    // A write to a peer that has gone (the X server, a closed pipe) must fail with EPIPE, not end
    // the process before a lost display's end can keep the recording.
    std::signal(SIGPIPE, SIG_IGN);
}

int wakeDescriptor()
{
    return g_wakePipe[0];
}

void cleanupFinished() {}

void endAsRepeated(int signalNumber) noexcept
{
    std::signal(signalNumber, SIG_DFL);
    raise(signalNumber);
}

}  // namespace termination
