// The reader's account of a refused line: which fault, in which field, in which words, and the
// warnings it keeps for accepted lines. Every case also goes through fromLines, which must agree.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "script/script_codec.h"

namespace {

struct RefusalCase {
    const char* line;
    LineFault fault;
    int field;
    const char* reason;
};

void PrintTo(const RefusalCase& c, std::ostream* os) { *os << '"' << c.line << '"'; }

class RefusedLine : public testing::TestWithParam<RefusalCase> {};

TEST_P(RefusedLine, NamesTheFaultAndAgreesWithFromLines)
{
    const RefusalCase& c = GetParam();
    const ScriptCodec codec;
    const LineReading reading = codec.readLine(c.line);
    EXPECT_EQ(reading.outcome, LineReading::Outcome::Refused);
    EXPECT_EQ(reading.fault, c.fault);
    EXPECT_EQ(reading.field, c.field);
    EXPECT_EQ(codec.describeFault(reading, c.line), c.reason);
    std::vector<InputEvent> events;
    EXPECT_FALSE(codec.fromLines({c.line}, events));
}

INSTANTIATE_TEST_SUITE_P(
    Faults, RefusedLine,
    testing::Values(
        RefusalCase{"MBUTTONUP:10:20", LineFault::UnknownKeyword, 0,
                    "unknown keyword \"MBUTTONUP\" (the middle-button release is MBUTTONUNUP)"},
        RefusalCase{"lbuttondown:10:20", LineFault::UnknownKeyword, 0,
                    "unknown keyword \"lbuttondown\" (keywords are upper case: LBUTTONDOWN)"},
        RefusalCase{"LBUTTONDOWN 10 20", LineFault::UnknownKeyword, 0,
                    "unknown keyword \"LBUTTONDOWN 10 20\" (fields are separated by \":\")"},
        RefusalCase{"KEYUP :1:2:65", LineFault::UnknownKeyword, 0,
                    "unknown keyword \"KEYUP \" (a blank after the keyword)"},
        RefusalCase{"CLICK:1:2", LineFault::UnknownKeyword, 0, "unknown keyword \"CLICK\""},
        RefusalCase{"KEYDOWN:1:2", LineFault::KeyFields, 0, "a key line needs x, y and a virtual-key code"},
        RefusalCase{"LBUTTONDOWN:100", LineFault::ButtonFields, 0, "a button line needs x and y"},
        RefusalCase{"LOGMOUSEPOS:1", LineFault::PointerFields, 0, "a pointer line needs x and y"},
        RefusalCase{"SLEEP:250", LineFault::PauseFields, 0,
                    "a pause line needs exactly five numbers (SLEEP:ms:a:b:x:y)"},
        RefusalCase{"SLEEP:1:2:3:4:5:6", LineFault::PauseFields, 0,
                    "a pause line needs exactly five numbers (SLEEP:ms:a:b:x:y)"},
        RefusalCase{"SLEEP:abc:0:0:0:0", LineFault::NoDigits, 2, "no digits in field 2"},
        RefusalCase{"LBUTTONDOWN:1::", LineFault::NoDigits, 3, "no digits in field 3"},
        RefusalCase{"KEYUP:1:2:-", LineFault::NoDigits, 4, "no digits in field 4"},
        RefusalCase{"LOGMOUSEPOS:12345678901:34", LineFault::OutOfRange, 2,
                    "number out of the 32-bit range in field 2"},
        RefusalCase{"KEYDOWN:1:2:-2147483649", LineFault::OutOfRange, 4,
                    "number out of the 32-bit range in field 4"},
        RefusalCase{"   ", LineFault::BlankLine, 0, "a line of blanks is not a comment"},
        RefusalCase{"\t", LineFault::BlankLine, 0, "a line of blanks is not a comment"},
        RefusalCase{" LBUTTONDOWN:1:2", LineFault::BlankBeforeKeyword, 0, "a blank before the keyword"},
        RefusalCase{" #note", LineFault::BlankBeforeComment, 0,
                    "a blank before \"#\" (a comment starts with # in the first column)"},
        RefusalCase{":1:2", LineFault::NoKeyword, 0, "no keyword before the first \":\""},
        RefusalCase{"MOUSEWHEEL:1:2", LineFault::WheelFields, 0,
                    "a wheel line needs x, y and a delta (120 a notch, negative the other way)"},
        RefusalCase{"MOUSEHWHEEL:1:2:-0", LineFault::WheelDeltaZero, 0, "a wheel delta of 0 scrolls nothing"},
        RefusalCase{"MOUSEWHEEL:1:2:up", LineFault::NoDigits, 4, "no digits in field 4"},
        RefusalCase{"XBUTTONUP:1:2", LineFault::SideButtonFields, 0,
                    "a side-button line needs x, y and the button: 1 (back) or 2 (forward)"},
        RefusalCase{"XBUTTONDOWN:1:2:3", LineFault::SideButtonNumber, 0,
                    "side button 3 does not exist: 1 is back, 2 is forward"},
        RefusalCase{"WAITCOLOR:1:2:65280:8", LineFault::WaitFields, 0,
                    "a colour wait needs x, y, the colour, the tolerance and the timeout (WAITCOLOR:x:y:rgb:tolerance:ms)"},
        RefusalCase{"WAITCOLOR:1:2:16777216:8:100", LineFault::WaitColourRange, 0,
                    "the colour must be 0xRRGGBB written in decimal, 0 to 16777215"},
        RefusalCase{"WAITCOLOR:1:2:0:256:100", LineFault::WaitToleranceRange, 0,
                    "the tolerance must be 0 to 255 (the largest difference on each of red, green and blue)"},
        RefusalCase{"WAITCOLOR:1:2:0:-1:100", LineFault::WaitToleranceRange, 0,
                    "the tolerance must be 0 to 255 (the largest difference on each of red, green and blue)"},
        RefusalCase{"WAITCOLOR:1:2:0:8:-1", LineFault::WaitTimeoutNegative, 0,
                    "the timeout must be 0 or more milliseconds"}));

TEST(ScriptDiagnosis, AcceptedLinesNameTheirFirstNumberWithTrailingCharacters)
{
    const ScriptCodec codec;
    const std::vector<std::pair<const char*, int>> cases = {
        {"LOGMOUSEPOS:12abc:34", 2},
        {"LOGMOUSEPOS:12:34x", 3},
        {"KEYDOWN:1:2:65;", 4},
        {"SLEEP:10ms:0:0:0:0", 2},
        // Only the numbers that count: the carried fields of a pause are read leniently.
        {"SLEEP:10:x:0:0:0", 0},
        {"LBUTTONDOWN: 1: 2", 0},
        {"LBUTTONDOWN:1:2:junk", 0},
    };
    for (const auto& [line, field] : cases) {
        const LineReading reading = codec.readLine(line);
        EXPECT_EQ(reading.outcome, LineReading::Outcome::Accepted) << line;
        EXPECT_EQ(reading.trailingField, field) << line;
    }
}

TEST(ScriptDiagnosis, CommentsAndEmptyLinesAreSkippedNotRefused)
{
    const ScriptCodec codec;
    for (const char* line : {"", "#", "# LBUTTONDOWN", "#\t"})
        EXPECT_EQ(codec.readLine(line).outcome, LineReading::Outcome::Skipped) << line;
}

}  // namespace
