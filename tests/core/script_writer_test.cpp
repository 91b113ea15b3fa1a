#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "script/script_codec.h"

namespace {

InputEvent event(EventKind kind, int code, int x, int y, int value = 0)
{
    InputEvent e;
    e.kind = toByte(kind);
    e.code = static_cast<std::uint8_t>(code);
    e.x = static_cast<std::uint16_t>(x);
    e.y = static_cast<std::uint16_t>(y);
    e.value = value;
    return e;
}

std::vector<std::string> write(const std::vector<InputEvent>& events)
{
    std::vector<std::string> lines;
    EXPECT_TRUE(ScriptCodec().toLines(events, lines));
    return lines;
}

TEST(ScriptWriter, WritesEachKeywordFromTheCapturedMessageCode)
{
    using K = EventKind;
    const std::vector<std::string> expected = {
        "LBUTTONDOWN:1:2", "LBUTTONUP:1:2", "RBUTTONDOWN:1:2", "RBUTTONUP:1:2",
        "MBUTTONDOWN:1:2", "MBUTTONUNUP:10:20", "KEYDOWN:640:400:65", "KEYUP:640:400:65",
        "SYSKEYDOWN:3:4:18", "SYSKEYUP:3:4:18", "LOGMOUSEPOS:630:395",
        "MOUSEWHEEL:5:6:-120", "MOUSEHWHEEL:5:6:360", "XBUTTONDOWN:7:8:1", "XBUTTONUP:7:8:2",
    };
    EXPECT_EQ(write({event(K::MouseButton, 0x01, 1, 2), event(K::MouseButton, 0x02, 1, 2),
                     event(K::MouseButton, 0x04, 1, 2), event(K::MouseButton, 0x05, 1, 2),
                     event(K::MouseButton, 0x07, 1, 2), event(K::MouseButton, 0x08, 10, 20),
                     event(K::Key, 0, 640, 400, 65), event(K::Key, 1, 640, 400, 65),
                     event(K::Key, 4, 3, 4, 18), event(K::Key, 5, 3, 4, 18),
                     event(K::MousePos, 0, 630, 395), event(K::MouseButton, 0x0A, 5, 6, -120),
                     event(K::MouseButton, 0x0E, 5, 6, 360), event(K::MouseButton, 0x0B, 7, 8, 1),
                     event(K::MouseButton, 0x0C, 7, 8, 2)}),
              expected);
}

TEST(ScriptWriter, SkipsCodesWithoutKeywordAndUnknownKinds)
{
    using K = EventKind;
    std::vector<InputEvent> events = {
        event(K::MouseButton, 0x03, 1, 1),     // a double click has no keyword
        event(K::MouseButton, 0x0A, 1, 1),     // a wheel without a delta
        event(K::MouseButton, 0x0B, 1, 1, 3),  // a side button other than 1 and 2
        event(K::Key, 2, 1, 1, 65),         // a read KEYUP carries flags, not a message code
        event(K::MousePos, 0, 5, 6),
    };
    InputEvent unknown = event(K::MousePos, 0, 7, 7);
    unknown.kind = 7;
    events.push_back(unknown);
    unknown.kind = 0x63;
    events.push_back(unknown);
    EXPECT_EQ(write(events), std::vector<std::string>{"LOGMOUSEPOS:5:6"});
}

TEST(ScriptWriter, PrintsNumbersUnsigned)
{
    InputEvent pause = event(EventKind::Sleep, 0, 65535, 3, -1);
    pause.extraA = 1;
    pause.extraB = 2;
    EXPECT_EQ(write({event(EventKind::MousePos, 0, -10, 0), pause, event(EventKind::Key, 0, 0, 0, -1)}),
              (std::vector<std::string>{"LOGMOUSEPOS:65526:0", "SLEEP:4294967295:1:2:65535:3",
                                        "KEYDOWN:0:0:4294967295"}));
}

TEST(ScriptWriter, AppendsAfterExistingLines)
{
    std::vector<std::string> lines{"first"};
    ScriptCodec().toLines({event(EventKind::MousePos, 0, 1, 2)}, lines);
    EXPECT_EQ(lines, (std::vector<std::string>{"first", "LOGMOUSEPOS:1:2"}));
}

TEST(ScriptWriter, HandWrittenLinesSurviveReadThenWriteForPausesSamplesAndColourWaits)
{
    const std::vector<std::string> lines = {"SLEEP:500:1:2:3:4", "LOGMOUSEPOS:640:400",
                                            "WAITCOLOR:65526:400:16777215:255:4294967",
                                            "WAITCOLOR:640:400:65280:0:0"};
    ScriptCodec codec;
    std::vector<InputEvent> events;
    ASSERT_TRUE(codec.fromLines(lines, events));
    EXPECT_EQ(write(events), lines);
}

TEST(ScriptWriter, JoinEndsEveryLineWithOneLineFeed)
{
    EXPECT_EQ(joinLines({}), "");
    EXPECT_EQ(joinLines({"A", "B"}), "A\nB\n");
}

}  // namespace
