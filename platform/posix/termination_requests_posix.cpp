#include "platform/termination_requests.h"

#include <csignal>
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace {

constexpr int kWatchedSignals[] = {SIGTERM, SIGINT, SIGHUP};

std::atomic<int> g_requested{0};
std::atomic<std::atomic<bool>*> g_flag{nullptr};
int g_wakePipe[2] = {-1, -1};
std::atomic<bool> g_watching{false};

void onRequest(int signalNumber)
{
    const int savedErrno = errno;
    int none = 0;
    if (!g_requested.compare_exchange_strong(none, signalNumber)) {
        // Asked again while the first request is being handled: end now, the default way.
        std::signal(signalNumber, SIG_DFL);
        raise(signalNumber);
    }
    if (std::atomic<bool>* flag = g_flag.load())
        flag->store(true);
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

int wakeDescriptor()
{
    return g_wakePipe[0];
}

void cleanupFinished() {}

}  // namespace termination
