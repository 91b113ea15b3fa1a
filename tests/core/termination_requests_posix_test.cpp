#include <gtest/gtest.h>

#include <poll.h>
#include <csignal>
#include <cerrno>
#include <cstdlib>
#include <unistd.h>

#include "system/termination_requests.h"

// Each case runs in a child process of its own: the watch is process-wide and cannot be undone.
namespace {

std::atomic<bool> g_stop{false};

void exitWithWhatARequestLeaves(int signalNumber)
{
    termination::watch();
    termination::alsoSet(&g_stop);
    raise(signalNumber);
    pollfd wake{termination::wakeDescriptor(), POLLIN, 0};
    const bool woken = poll(&wake, 1, 1000) == 1;
    std::exit(termination::requested() == signalNumber && g_stop && woken ? 0 : 1);
}

void exitWithAFlagRegisteredLate()
{
    termination::watch();
    raise(SIGTERM);
    termination::alsoSet(&g_stop);
    std::exit(g_stop ? 0 : 1);
}

void requestTwice()
{
    termination::watch();
    raise(SIGINT);
    raise(SIGTERM);
    std::exit(0);
}

void writeToAPipeWithNoReader()
{
    termination::watch();
    int ends[2];
    const char byte = 1;
    std::exit(pipe(ends) == 0 && close(ends[0]) == 0 && write(ends[1], &byte, 1) < 0 && errno == EPIPE ? 0 : 1);
}

class TerminationRequestTest : public ::testing::TestWithParam<int> {};

TEST_P(TerminationRequestTest, IsRecordedSetsTheFlagAndWakesTheLoop)
{
    EXPECT_EXIT(exitWithWhatARequestLeaves(GetParam()), ::testing::ExitedWithCode(0), "");
}

INSTANTIATE_TEST_SUITE_P(Signals, TerminationRequestTest, ::testing::Values(SIGTERM, SIGINT, SIGHUP));

TEST(TerminationRequestsTest, AFlagRegisteredAfterTheRequestIsSetAtOnce)
{
    EXPECT_EXIT(exitWithAFlagRegisteredLate(), ::testing::ExitedWithCode(0), "");
}

TEST(TerminationRequestsTest, ASecondRequestEndsTheProgramTheDefaultWay)
{
    EXPECT_EXIT(requestTwice(), ::testing::KilledBySignal(SIGTERM), "");
}

TEST(TerminationRequestsTest, AWriteToAReaderThatHasGoneFailsInsteadOfEndingTheProgram)
{
    EXPECT_EXIT(writeToAPipeWithNoReader(), ::testing::ExitedWithCode(0), "");
}

}  // namespace
