#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <thread>
#include <vector>

#include "system/abrupt_end.h"

// Each case ends a child process of its own: an abrupt end cannot be undone.
namespace {

using ::testing::ExitedWithCode;

int g_rescues = 0;

void rescueThenEnd(const char* why, const char* note)
{
    abruptEnd::setRescue([note] {
        ++g_rescues;
        return std::string(note);
    });
    abruptEnd::now(why);
}

struct LineCase {
    const char* why;
    const char* note;
    const char* line;  // a regular expression for standard error
};

class AbruptEndLineTest : public ::testing::TestWithParam<LineCase> {};

TEST_P(AbruptEndLineTest, RescuesThenSaysWhyInOneLineAndEndsWithStatus1)
{
    EXPECT_EXIT(rescueThenEnd(GetParam().why, GetParam().note), ExitedWithCode(1), GetParam().line);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, AbruptEndLineTest,
    ::testing::Values(LineCase{"lost the display", "", "^tamblo: lost the display\n$"},
                      LineCase{"lost the display", "the recording was saved to /r", "^tamblo: lost the display; the recording was saved to /r\n$"},
                      LineCase{"", "the recording was saved to /r", "^tamblo: the recording was saved to /r\n$"},
                      LineCase{"", "", "^$"}));

void manyThreadsEndAtOnce()
{
    abruptEnd::setRescue([] {
        // Any second rescue would show as a second line.
        return "rescue " + std::to_string(++g_rescues);
    });
    std::vector<std::thread> threads;
    for (int i = 0; i < 8; ++i)
        threads.emplace_back([] { abruptEnd::now("lost"); });
    for (std::thread& thread : threads)
        thread.join();
}

TEST(AbruptEndTest, SeveralThreadsEndingAtOnceEndTheProcessOnce)
{
    EXPECT_EXIT(manyThreadsEndAtOnce(), ExitedWithCode(1), "^tamblo: lost; rescue 1\n$");
}

// A library calls exit() while main still runs.
void libraryExitsDuringMain(const char* found, const char* noted)
{
    const abruptEnd::UnplannedExitGuard guard;
    abruptEnd::setRescue([] { return std::string("kept"); });
    abruptEnd::explainUnplannedExits([found] { return std::string(found); });
    abruptEnd::noteCause(noted);
    std::exit(0);
}

void mainReturns()
{
    {
        const abruptEnd::UnplannedExitGuard guard;
        abruptEnd::setRescue([] { return std::string("kept"); });
    }
    std::exit(0);
}

TEST(AbruptEndTest, AnUnplannedExitRescuesSaysTheCauseFoundAndEndsWithStatus1)
{
    // The backend's look first, then what was noted before the end, then no cause at all.
    EXPECT_EXIT(libraryExitsDuringMain("lost the display", "a warning"), ExitedWithCode(1),
                "^tamblo: lost the display; kept\n$");
    EXPECT_EXIT(libraryExitsDuringMain("", "a warning"), ExitedWithCode(1), "^tamblo: a warning; kept\n$");
    EXPECT_EXIT(libraryExitsDuringMain("", ""), ExitedWithCode(1), "^tamblo: kept\n$");
}

// The search for the cause is stuck for a second while the window, on its thread, sets its rescue.
void theWindowSetsItsRescueWhileTheCauseIsSought()
{
    const abruptEnd::UnplannedExitGuard guard;
    std::atomic<bool> seeking{false};
    abruptEnd::explainUnplannedExits([&seeking] {
        seeking = true;
        std::this_thread::sleep_for(std::chrono::seconds(1));
        return std::string("lost the display");
    });
    std::thread library([] { std::exit(0); });
    while (!seeking)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    const auto start = std::chrono::steady_clock::now();
    abruptEnd::setRescue([] { return std::string("kept"); });
    if (std::chrono::steady_clock::now() - start >= std::chrono::milliseconds(50))
        abruptEnd::setRescue([] { return std::string("the rescue waited for the search"); });
    library.join();
}

TEST(AbruptEndTest, TheCauseIsSoughtWithoutTheRescuesLock)
{
    EXPECT_EXIT(theWindowSetsItsRescueWhileTheCauseIsSought(), ExitedWithCode(1), "^tamblo: lost the display; kept\n$");
}

TEST(AbruptEndTest, MainsOwnReturnIsLeftAlone)
{
    EXPECT_EXIT(mainReturns(), ExitedWithCode(0), "^$");
}

}  // namespace
