#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "script/script_codec.h"

namespace {

struct ReadCase {
    const char* line;
    bool accepted;
    // Expected event when accepted.
    EventKind kind = EventKind::MouseButton;
    int code = 0;
    int value = 0;
    int x = 0;
    int y = 0;
    int extraA = 0;
    int extraB = 0;
};

void PrintTo(const ReadCase& c, std::ostream* os) { *os << '"' << c.line << '"'; }

class ScriptReaderLine : public testing::TestWithParam<ReadCase> {};

TEST_P(ScriptReaderLine, ReadsOrRefusesAsTheFormatSays)
{
    const ReadCase& c = GetParam();
    ScriptCodec codec;
    std::vector<InputEvent> events;
    ASSERT_EQ(codec.fromLines({c.line}, events), c.accepted);
    if (!c.accepted) {
        EXPECT_TRUE(events.empty());
        return;
    }
    ASSERT_EQ(events.size(), 1u);
    const InputEvent& e = events[0];
    EXPECT_EQ(e.kind, toByte(c.kind));
    EXPECT_EQ(injectionFlags(e), static_cast<std::uint32_t>(c.code));
    EXPECT_EQ(e.value, c.value);
    EXPECT_EQ(e.x, c.x);
    EXPECT_EQ(e.y, c.y);
    EXPECT_EQ(e.extraA, c.extraA);
    EXPECT_EQ(e.extraB, c.extraB);
}

constexpr EventKind Mouse = EventKind::MouseButton;
constexpr EventKind Key = EventKind::Key;
constexpr EventKind Pause = EventKind::Sleep;
constexpr EventKind Pos = EventKind::MousePos;
constexpr EventKind Wait = EventKind::WaitColor;

INSTANTIATE_TEST_SUITE_P(
    Lines, ScriptReaderLine,
    testing::Values(
        // Mouse keywords give the injection flags.
        ReadCase{"LBUTTONDOWN:100:200", true, Mouse, 0x02, 0, 100, 200},
        ReadCase{"LBUTTONUP:1:2", true, Mouse, 0x04, 0, 1, 2},
        ReadCase{"RBUTTONDOWN:300:200", true, Mouse, 0x08, 0, 300, 200},
        ReadCase{"RBUTTONUP:1:2", true, Mouse, 0x10, 0, 1, 2},
        ReadCase{"MBUTTONDOWN:1:2", true, Mouse, 0x20, 0, 1, 2},
        ReadCase{"MBUTTONUNUP:10:20", true, Mouse, 0x40, 0, 10, 20},
        ReadCase{"MBUTTONUP:10:20", false},
        ReadCase{"lbuttondown:10:20", false},
        ReadCase{"LBUTTONDOWN:100", false},
        ReadCase{"LBUTTONDOWN:100:200:7:8", true, Mouse, 0x02, 0, 100, 200},
        ReadCase{"LBUTTONDOWN:100:200:", true, Mouse, 0x02, 0, 100, 200},
        // Wheel and side-button lines carry a fourth number: a signed delta, or the button 1 or 2.
        ReadCase{"MOUSEWHEEL:10:20:120", true, Mouse, 0x800, 120, 10, 20},
        ReadCase{"MOUSEWHEEL:10:20:-240:9", true, Mouse, 0x800, -240, 10, 20},
        ReadCase{"MOUSEHWHEEL:1:2:+60", true, Mouse, 0x1000, 60, 1, 2},
        ReadCase{"XBUTTONDOWN:1:2:1", true, Mouse, 0x80, 1, 1, 2},
        ReadCase{"XBUTTONUP:1:2:2", true, Mouse, 0x100, 2, 1, 2},
        ReadCase{"MOUSEWHEEL:1:2", false},
        ReadCase{"MOUSEHWHEEL:1:2:0", false},
        ReadCase{"XBUTTONDOWN:1:2:3", false},
        ReadCase{"XBUTTONUP:1:2", false},
        // Key lines need a fourth field.
        ReadCase{"KEYDOWN:1:2", false},
        ReadCase{"KEYUP:1:2:65", true, Key, 0x02, 65, 1, 2},
        ReadCase{"KEYDOWN:640:400:65", true, Key, 0x00, 65, 640, 400},
        ReadCase{"SYSKEYDOWN:1:2:18:99", true, Key, 0x00, 18, 1, 2},
        ReadCase{"SYSKEYUP:1:2:18", true, Key, 0x02, 18, 1, 2},
        ReadCase{"KEYDOWN:1:2:x", false},
        // Pauses: strict ms, lenient rest, exactly six fields, any keyword starting with SLEEP.
        ReadCase{"SLEEP:500:0:0:0:0", true, Pause, 0, 500},
        ReadCase{"SLEEP:250:x:y:z:w", true, Pause, 0, 250},
        ReadCase{"SLEEP:250:1:2:3:4", true, Pause, 0, 250, 3, 4, 1, 2},
        ReadCase{"SLEEPY:250:0:0:0:0", true, Pause, 0, 250},
        ReadCase{"SLEEP:abc:0:0:0:0", false},
        ReadCase{"SLEEP:250", false},
        ReadCase{"SLEEP:250:0:0:0", false},
        ReadCase{"SLEEP:250:0:0:0:0:0", false},
        ReadCase{"SLEEP:-1:0:0:0:0", true, Pause, 0, -1},
        ReadCase{"SLEEP:1:99999999999:-99999999999:70000:-1", true, Pause, 0, 1, 70000 - 65536, 65535, 65535, 0},
        // Pointer samples and the numeric conversions.
        ReadCase{"LOGMOUSEPOS:640:400", true, Pos, 0, 0, 640, 400},
        ReadCase{"LOGMOUSEPOS:12abc:34", true, Pos, 0, 0, 12, 34},
        ReadCase{"LOGMOUSEPOS::34", false},
        ReadCase{"LOGMOUSEPOS:12345678901:34", false},
        ReadCase{"LOGMOUSEPOS:2147483647:-2147483648", true, Pos, 0, 0, 65535, 0},
        ReadCase{"LOGMOUSEPOS:2147483648:1", false},
        ReadCase{"LOGMOUSEPOS:65536:-1", true, Pos, 0, 0, 0, 65535},
        ReadCase{"LOGMOUSEPOS:+7:\t 8", true, Pos, 0, 0, 7, 8},
        ReadCase{"LOGMOUSEPOS:- 7:8", false},
        ReadCase{"LOGMOUSEPOSX:1:2", false},
        ReadCase{"LBUTTONDOWN: 1: 2", true, Mouse, 0x02, 0, 1, 2},
        ReadCase{"LBUTTONDOWN:1:2\r", true, Mouse, 0x02, 0, 1, 2},
        // Colour waits: tolerance in code, timeout in value, the colour's GGBB in extraA, RR in extraB.
        ReadCase{"WAITCOLOR:640:400:65280:8:5000", true, Wait, 8, 5000, 640, 400, 0xFF00, 0},
        ReadCase{"WAITCOLOR:-10:20:16777215:255:0:9", true, Wait, 255, 0, 65526, 20, 0xFFFF, 0xFF},
        // Leading blanks are not comments or keywords.
        ReadCase{" LBUTTONDOWN:1:2", false},
        ReadCase{"   ", false},
        ReadCase{" #comment", false},
        ReadCase{":", false},
        ReadCase{"NOSUCH:1:2", false}));

TEST(ScriptReader, SkipsEmptyAndCommentLines)
{
    ScriptCodec codec;
    std::vector<InputEvent> events;
    EXPECT_TRUE(codec.fromLines({}, events));
    EXPECT_TRUE(codec.fromLines({"", "#LBUTTONDOWN:1:2", "#", ""}, events));
    EXPECT_TRUE(events.empty());
}

TEST(ScriptReader, RefusedLineKeepsEarlierEventsAndStops)
{
    ScriptCodec codec;
    std::vector<InputEvent> events;
    EXPECT_FALSE(codec.fromLines({"LOGMOUSEPOS:1:2", "# note", "LBUTTONDOWN:3:4", "bad", "LOGMOUSEPOS:5:6"}, events));
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[0].x, 1);
    EXPECT_EQ(events[1].x, 3);
}

TEST(ScriptReader, AppendsToAnExistingList)
{
    ScriptCodec codec;
    std::vector<InputEvent> events(1);
    EXPECT_TRUE(codec.fromLines({"LOGMOUSEPOS:1:2"}, events));
    EXPECT_EQ(events.size(), 2u);
}

TEST(SplitString, KeepsInnerEmptyFieldsAndDropsATrailingOne)
{
    const std::vector<std::pair<std::string, std::vector<std::string>>> cases = {
        {"A:1:2", {"A", "1", "2"}},
        {"A::2", {"A", "", "2"}},
        {"A:1:", {"A", "1"}},
        {":A", {"", "A"}},
        {"A::", {"A", ""}},
        {"", {}},
        {":", {""}},
        {"plain", {"plain"}},
    };
    for (const auto& [text, fields] : cases) {
        std::vector<std::string> out{"kept"};
        splitString(text, out, ':');
        std::vector<std::string> expected{"kept"};
        expected.insert(expected.end(), fields.begin(), fields.end());
        EXPECT_EQ(out, expected) << text;
    }
}

}  // namespace
