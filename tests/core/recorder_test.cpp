#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <mutex>
#include <thread>
#include <fstream>
#include <sstream>

#include "capture/input_listener.h"
#include "capture/recorder.h"
#include "platform/fake/fake_platform.h"
#include "script/script_codec.h"
#include "tests/core/temp_dir.h"

namespace {

class RecorderTest : public testing::Test {
protected:
    FakePlatform platform;
    ScriptCodec codec;
    Recorder recorder{platform};
};

TEST_F(RecorderTest, AddEventTakesThePointerAndKeepsTheLowByteOfCode)
{
    platform.setPointer(-10, 70000);
    recorder.addEvent(0x1234, 0, 0);
    recorder.addEvent(0, 3, 9);
    recorder.addEvent(0, 0x100, 0);  // kind taken as a byte: 0
    const auto events = recorder.copyEvents();
    ASSERT_EQ(events.size(), 3u);
    EXPECT_EQ(events[0].kind, toByte(EventKind::MouseButton));
    EXPECT_EQ(events[0].code, 0x34);
    EXPECT_EQ(events[0].x, 65536 - 10);
    EXPECT_EQ(events[0].y, 70000 - 65536);
    EXPECT_EQ(events[1].kind, toByte(EventKind::MousePos));
    EXPECT_EQ(events[1].value, 9);
    EXPECT_EQ(events[2].kind, toByte(EventKind::MouseButton));
}

TEST_F(RecorderTest, AddEventDropsUnknownKindsAndFailedPositionQueries)
{
    recorder.addEvent(0, 4, 0);
    recorder.addEvent(0, 0x104, 0);
    recorder.addEvent(0, -1, 0);
    platform.failPointerQuery();
    recorder.addEvent(1, 0, 0);
    EXPECT_TRUE(recorder.copyEvents().empty());
}

TEST_F(RecorderTest, SetRecordingOnEmptiesTheListAndOffKeepsIt)
{
    recorder.setRecording(true);
    recorder.onMouseEvent(0x201, 0);
    recorder.onMouseEvent(0x202, 0);
    ASSERT_EQ(recorder.copyEvents().size(), 2u);
    EXPECT_EQ(recorder.copyEvents()[0].code, 0x01);

    recorder.setRecording(false);
    recorder.setRecording(false);
    EXPECT_FALSE(recorder.isRecording());
    EXPECT_EQ(recorder.copyEvents().size(), 2u);
    recorder.onMouseEvent(0x201, 0);  // ignored while idle
    EXPECT_EQ(recorder.copyEvents().size(), 2u);

    recorder.setRecording(true);
    recorder.setRecording(true);
    EXPECT_TRUE(recorder.isRecording());
    EXPECT_TRUE(recorder.copyEvents().empty());
}

TEST_F(RecorderTest, DefaultKeyHandlerTogglesOnlyWithControlShiftAndF8Held)
{
    platform.pressKey(win::VkControl);
    platform.pressKey(win::VkShift);
    recorder.onKeyEvent(0, 0x41);
    EXPECT_FALSE(recorder.isRecording());
    platform.pressKey(win::VkF8);
    recorder.onKeyEvent(0, 0x41);
    EXPECT_TRUE(recorder.isRecording());
    recorder.onKeyEvent(1, 0x77);
    EXPECT_FALSE(recorder.isRecording());
}

TEST_F(RecorderTest, CopyOfALongCaptureIsAPrefixOfTheListWhileTheCaptureThreadAppends)
{
    recorder.setRecording(true);
    for (int i = 0; i < 100000; ++i) {
        platform.setPointer(i % 65536, i / 65536);
        recorder.addEvent(0, toByte(EventKind::MousePos), i);
    }
    std::atomic<bool> copying{true};
    std::thread captureThread([&] {
        for (int i = 100000; copying; ++i) {
            std::lock_guard<std::mutex> lock(g_listenerMutex);
            recorder.addEvent(0, toByte(EventKind::MousePos), i);
        }
    });
    const auto copy = recorder.copyEvents();
    copying = false;
    captureThread.join();

    ASSERT_GE(copy.size(), 100000u);
    const auto all = recorder.copyEvents();
    ASSERT_GE(all.size(), copy.size());
    for (std::size_t i = 0; i < copy.size(); ++i)
        ASSERT_EQ(copy[i].value, static_cast<int>(i)) << i;
}

TEST_F(RecorderTest, AttachCodecRegistersAndDestructionWithdraws)
{
    {
        Recorder other(platform);
        other.attachCodec(&codec);
        EXPECT_EQ(g_listener, &other);
    }
    EXPECT_EQ(g_listener, nullptr);
}

class SaveTest : public RecorderTest {
protected:
    void SetUp() override { recorder.attachCodec(&codec); }
    void TearDown() override { withdrawListener(&recorder); }

    void capture(std::initializer_list<std::pair<EventKind, int>> actions)
    {
        recorder.setRecording(true);
        for (const auto& [kind, code] : actions)
            recorder.addEvent(code, toByte(kind), 0);
        recorder.setRecording(false);
    }

    TempDir dir;
};

TEST_F(SaveTest, ClickBetweenTwoSamplesGivesFourLinesEachEndedByALineFeed)
{
    platform.setPointer(5, 7);
    capture({{EventKind::MousePos, 0}, {EventKind::MouseButton, 0x01},
             {EventKind::MouseButton, 0x02}, {EventKind::MousePos, 0}, {EventKind::MouseButton, 0x0A}});
    const std::string path = dir.file("click.tbcode");
    std::string reason;
    ASSERT_TRUE(recorder.saveToFile(path, &reason)) << reason;
    EXPECT_EQ(readFile(path), "LOGMOUSEPOS:5:7\nLBUTTONDOWN:5:7\nLBUTTONUP:5:7\nLOGMOUSEPOS:5:7\n");
    EXPECT_EQ(dir.entries(), std::vector<std::string>{"click.tbcode"});
}

TEST_F(SaveTest, EmptyOrWheelOnlyCaptureGivesAnEmptyFileAndReplacesLongerContent)
{
    const std::string path = dir.file("empty.tbcode");
    writeFile(path, "LOGMOUSEPOS:1:1\nLOGMOUSEPOS:2:2\n");
    capture({{EventKind::MouseButton, 0x0A}});
    ASSERT_TRUE(recorder.saveToFile(path));
    EXPECT_EQ(readFile(path), "");
}

TEST_F(SaveTest, SavesAGivenCopyRatherThanTheCurrentList)
{
    platform.setPointer(1, 2);
    capture({{EventKind::MousePos, 0}});
    const auto stopped = recorder.copyEvents();
    capture({{EventKind::MouseButton, 0x01}, {EventKind::MouseButton, 0x02}});
    const std::string path = dir.file("copy.tbcode");
    ASSERT_TRUE(recorder.saveToFile(path, stopped));
    EXPECT_EQ(readFile(path), "LOGMOUSEPOS:1:2\n");
}

TEST_F(SaveTest, FailuresReturnFalseCreateNothingAndKeepTheOldFile)
{
    std::string reason;
    EXPECT_FALSE(recorder.saveToFile("", &reason));
    EXPECT_FALSE(reason.empty());

    reason.clear();
    EXPECT_FALSE(recorder.saveToFile(dir.file("missing-folder/x.tbcode"), &reason));
    EXPECT_FALSE(reason.empty());

    std::filesystem::create_directory(dir.file("folder"));
    EXPECT_FALSE(recorder.saveToFile(dir.file("folder")));
    EXPECT_TRUE(std::filesystem::is_directory(dir.file("folder")));
    EXPECT_EQ(dir.entries(), std::vector<std::string>{"folder"});

    Recorder withoutCodec(platform);
    EXPECT_FALSE(withoutCodec.saveToFile(dir.file("nocodec.tbcode")));
    EXPECT_EQ(dir.entries(), std::vector<std::string>{"folder"});
}

}  // namespace
