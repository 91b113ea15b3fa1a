// Reading script files: line ends, byte-order marks, chunk boundaries, refusal of anything that is
// not a regular file, and the first refused line.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "script/script_file.h"
#include "temp_dir.h"

namespace {

using namespace std::string_literals;

// Every way of cutting `bytes` into two chunks gives the same lines.
std::vector<std::string> splitInTwo(const std::string& bytes, std::size_t cut)
{
    std::vector<std::string> lines;
    ScriptLineSplitter splitter([&lines](std::string_view line) {
        lines.emplace_back(line);
        return true;
    });
    splitter.feed(std::string_view(bytes).substr(0, cut));
    splitter.feed(std::string_view(bytes).substr(cut));
    splitter.finish();
    return lines;
}

std::string utf16(const std::u16string& text, bool little)
{
    std::string bytes = little ? "\xFF\xFE"s : "\xFE\xFF"s;
    for (char16_t unit : text) {
        const char high = static_cast<char>(unit >> 8);
        const char low = static_cast<char>(unit & 0xFF);
        bytes += little ? std::string{low, high} : std::string{high, low};
    }
    return bytes;
}

std::string utf32le(const std::u32string& text)
{
    std::string bytes = "\xFF\xFE\x00\x00"s;
    for (char32_t c : text) {
        for (int b = 0; b < 4; ++b)
            bytes += static_cast<char>((c >> (8 * b)) & 0xFF);
    }
    return bytes;
}

TEST(ScriptLineSplitter, EndsLinesAtLfCrlfAndLoneCrWhereverTheChunksAreCut)
{
    const std::vector<std::pair<std::string, std::vector<std::string>>> cases = {
        {"", {}},
        {"a", {"a"}},
        {"a\n", {"a"}},
        {"a\nb", {"a", "b"}},
        {"a\r\nb\r\n", {"a", "b"}},
        {"a\rb\rc\r", {"a", "b", "c"}},
        {"a\n\nb\n", {"a", "", "b"}},
        {"\n", {""}},
        {"\r\r\n", {"", ""}},
        {"a\n\r\nb", {"a", "", "b"}},
        {"x\0y\n"s, {"x\0y"s}},
        {"\xEF\xBB\xBFLOGMOUSEPOS:1:2\n", {"LOGMOUSEPOS:1:2"}},
        {"\xEF\xBB", {"\xEF\xBB"}},
        {"\xEF\xBB\xBF", {}},
        {utf16(u"A:1\r\nB\u4E2D\n", true), {"A:1", "B\xE4\xB8\xAD"}},
        {utf16(u"A\rB", false), {"A", "B"}},
        {utf16(u"x\U0001F600y"s, true), {"x\xF0\x9F\x98\x80y"}},
        {utf16(u"\xD800z", true), {"\xEF\xBF\xBDz"}},
        {utf16(u"ab", true) + "\x41", {"ab\xEF\xBF\xBD"}},
        {utf32le(U"K:1\n\u00E9"), {"K:1", "\xC3\xA9"}},
    };
    for (const auto& [bytes, expected] : cases) {
        for (std::size_t cut = 0; cut <= bytes.size(); ++cut)
            EXPECT_EQ(splitInTwo(bytes, cut), expected) << testing::PrintToString(bytes) << " cut at " << cut;
    }
}

TEST(ScriptLineSplitter, StopsWhenTheHandlerSaysSo)
{
    std::vector<std::string> lines;
    ScriptLineSplitter splitter([&lines](std::string_view line) {
        lines.emplace_back(line);
        return lines.size() < 2;
    });
    EXPECT_FALSE(splitter.feed("a\nb\nc\n"));
    EXPECT_FALSE(splitter.feed("d\n"));
    EXPECT_FALSE(splitter.finish());
    EXPECT_EQ(lines, (std::vector<std::string>{"a", "b"}));
}

class ScriptFileTest : public testing::Test {
protected:
    ScriptFileResult read(const std::string& bytes, std::vector<InputEvent>* events)
    {
        writeFile(dir.file("s.tbcode"), bytes);
        return readScriptFile(dir.file("s.tbcode"), codec, events);
    }

    TempDir dir;
    const ScriptCodec codec;
};

TEST_F(ScriptFileTest, CrOnlyLinesAreSeparateEvents)
{
    std::vector<InputEvent> events;
    const ScriptFileResult result = read("LBUTTONDOWN:1:2\rLBUTTONUP:3:4\rLOGMOUSEPOS:5:6\r", &events);
    EXPECT_EQ(result.verdict, ScriptFileResult::Verdict::Accepted);
    ASSERT_EQ(events.size(), 3u);
    EXPECT_EQ(events[1].x, 3);
    EXPECT_EQ(events[2].y, 6);
}

TEST_F(ScriptFileTest, NamesTheFirstRefusedLineCountingCommentsAndStopsThere)
{
    std::vector<InputEvent> events;
    std::vector<std::size_t> seen;
    writeFile(dir.file("s.tbcode"), "#c\r\n\r\nLOGMOUSEPOS:1:2\rMBUTTONUP:1:2\nKEYDOWN:1:2\n");
    const ScriptFileResult result = readScriptFile(dir.file("s.tbcode"), codec, &events,
                                                   [&seen](const ScriptLine& line) { seen.push_back(line.number); });
    EXPECT_EQ(result.verdict, ScriptFileResult::Verdict::Refused);
    EXPECT_EQ(result.refusedLine, 4u);
    EXPECT_EQ(result.refusedText, "MBUTTONUP:1:2");
    EXPECT_EQ(result.refusal.fault, LineFault::UnknownKeyword);
    EXPECT_EQ(seen, (std::vector<std::size_t>{1, 2, 3, 4}));
    EXPECT_EQ(events.size(), 1u);
}

TEST_F(ScriptFileTest, AgreesWithFromLinesOnEveryLineOfAMixedScript)
{
    const std::vector<std::string> lines = {"#x", "LOGMOUSEPOS:12abc:34", "SLEEP:-1:0:0:0:0",
                                            "KEYUP:1:2:65:9", "SLEEPY:5:a:b:c:d", "LBUTTONDOWN: 1: 2"};
    std::string bytes;
    for (const std::string& line : lines)
        bytes += line + "\r\n";
    std::vector<InputEvent> fromFile;
    std::vector<InputEvent> fromLines;
    EXPECT_EQ(read(bytes, &fromFile).verdict, ScriptFileResult::Verdict::Accepted);
    EXPECT_TRUE(codec.fromLines(lines, fromLines));
    ASSERT_EQ(fromFile.size(), fromLines.size());
    for (std::size_t i = 0; i < fromFile.size(); ++i)
        EXPECT_EQ(std::memcmp(&fromFile[i], &fromLines[i], sizeof(InputEvent)), 0) << i;
}

TEST_F(ScriptFileTest, LongFilesCrossManyChunks)
{
    std::string bytes;
    for (int i = 0; i < 20000; ++i)
        bytes += "LOGMOUSEPOS:" + std::to_string(i % 1000) + ":" + std::to_string(i) + (i % 2 ? "\r" : "\n");
    std::vector<InputEvent> events;
    EXPECT_EQ(read(bytes, &events).verdict, ScriptFileResult::Verdict::Accepted);
    ASSERT_EQ(events.size(), 20000u);
    EXPECT_EQ(events[19999].y, 19999);
    EXPECT_EQ(events[12345].x, 345);
}

}  // namespace
