#include <gtest/gtest.h>

#include <cstdlib>
#include <future>
#include <mutex>
#include <thread>

#include "capture/input_listener.h"
#include "capture/recorder.h"
#include "capture/recovery.h"
#include "platform/fake/fake_platform.h"
#include "script/script_codec.h"
#include "tests/core/temp_dir.h"

namespace {

// 2026-12-08 11:55:00 in the test's local time.
std::time_t aMoment()
{
    std::tm local{};
    local.tm_year = 2026 - 1900;
    local.tm_mon = 11;
    local.tm_mday = 8;
    local.tm_hour = 11;
    local.tm_min = 55;
    local.tm_isdst = -1;
    return std::mktime(&local);
}

TEST(RecoveryFilesTest, AreNamedAfterTheirTimeAndNeverReplaceAnotherFile)
{
    TempDir folder;
    const std::string first = recovery::newFilePath(folder.path.string(), aMoment());
    EXPECT_EQ(first, folder.file("recovered-20261208-115500.tbcode"));
    writeFile(first, "x");
    const std::string second = recovery::newFilePath(folder.path.string(), aMoment());
    EXPECT_EQ(second, folder.file("recovered-20261208-115500-2.tbcode"));
    writeFile(second, "x");
    EXPECT_EQ(recovery::newFilePath(folder.path.string(), aMoment()),
              folder.file("recovered-20261208-115500-3.tbcode"));
}

TEST(RecoveryFilesTest, ListsOnlyRecoveredScriptsOldestFirst)
{
    TempDir folder;
    for (const char* name : {"recovered-20261208-115500-10.tbcode", "recovered-20261208-115500-2.tbcode",
                             "recovered-20261208-115500.tbcode", "recovered-20251231-235959.tbcode",
                             "recovered-20261208-115500.txt", "walk.tbcode", "recovered-notes"})
        writeFile(folder.file(name), "x");
    std::filesystem::create_directory(folder.file("recovered-20200101-000000.tbcode"));
    EXPECT_EQ(recovery::recoveredScripts(folder.path.string()),
              (std::vector<std::string>{folder.file("recovered-20251231-235959.tbcode"),
                                        folder.file("recovered-20261208-115500.tbcode"),
                                        folder.file("recovered-20261208-115500-2.tbcode"),
                                        folder.file("recovered-20261208-115500-10.tbcode")}));
    EXPECT_TRUE(recovery::recoveredScripts(folder.file("missing")).empty());
    EXPECT_TRUE(recovery::recoveredScripts("").empty());
}

class RecoverySaveTest : public ::testing::Test {
protected:
    RecoverySaveTest() { recorder.attachCodec(&codec); }

    FakePlatform platform;
    ScriptCodec codec;
    Recorder recorder{platform};
    TempDir home;
};

TEST_F(RecoverySaveTest, CreatesTheFolderAndWritesTheScriptAsASaveWould)
{
    platform.setPointer(200, 300);
    recorder.addEvent(0x01, 0, 0);
    recorder.addEvent(0x02, 0, 0);
    const std::string folder = (std::filesystem::path(home.file("data")) / "tamblo").string();
    std::string sentence;
    ASSERT_TRUE(recovery::save(recorder, recorder.copyEvents(), {folder, {}}, sentence)) << sentence;
    const auto saved = recovery::recoveredScripts(folder);
    ASSERT_EQ(saved.size(), 1u);
    EXPECT_EQ(sentence, "the unsaved recording was saved to " + saved[0]);
    EXPECT_EQ(readFile(saved[0]), "LBUTTONDOWN:200:300\nLBUTTONUP:200:300\n");
}

TEST_F(RecoverySaveTest, SaysWhyWhenThereIsNoFolderOrItCannotBeWritten)
{
    std::string sentence;
    EXPECT_FALSE(recovery::save(recorder, {}, {"", "HOME"}, sentence));
    EXPECT_EQ(sentence, "the unsaved recording was lost: no folder to keep it in (HOME is not set)");

    writeFile(home.file("a-file"), "x");
    const std::string where = (std::filesystem::path(home.file("a-file")) / "tamblo" / "recovered-").string();
    EXPECT_FALSE(recovery::save(recorder, {}, {(std::filesystem::path(home.file("a-file")) / "tamblo").string(), {}}, sentence));
    EXPECT_EQ(sentence.rfind("the unsaved recording could not be saved to " + where, 0), 0u) << sentence;
}

TEST_F(RecoverySaveTest, ACopyWhileEndingDoesNotWaitForeverForTheListenerLock)
{
    platform.setPointer(5, 6);
    recorder.addEvent(0x01, 0, 0);
    std::vector<InputEvent> copy;
    {
        // Held by this very thread, as when the end comes inside a sampling tick.
        std::lock_guard<std::mutex> held(g_listenerMutex);
        copy = recorder.copyEventsWhileEnding();
    }
    ASSERT_EQ(copy.size(), 1u);
    EXPECT_EQ(copy[0].x, 5);

    // Held for a while by another thread, which appends before it lets go: the copy waits for it.
    std::promise<void> locked;
    std::thread capture([&] {
        std::lock_guard<std::mutex> held(g_listenerMutex);
        locked.set_value();
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
        recorder.addEvent(0x02, 0, 0);
    });
    locked.get_future().wait();
    const auto later = recorder.copyEventsWhileEnding();
    capture.join();
    EXPECT_EQ(later.size(), 2u);
}

}  // namespace
