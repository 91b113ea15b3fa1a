// What `check` prints for refused and accepted scripts, read from real files.
#include <gtest/gtest.h>

#include <sstream>

#include "cli/script_check.h"
#include "tests/core/temp_dir.h"

namespace {

using namespace std::string_literals;

struct Checked {
    ScriptFileResult::Verdict verdict;
    std::string out;
    std::string err;
};

class ScriptCheckTest : public testing::Test {
protected:
    Checked check(const std::string& bytes, bool quiet = false)
    {
        const std::string path = dir.file("s.tbcode");
        writeFile(path, bytes);
        std::ostringstream out;
        std::ostringstream err;
        const ScriptFileResult::Verdict verdict = ScriptCheck(codec).run(path, quiet, out, err);
        // Messages name the file as given; the tests compare them without the folder.
        auto strip = [&path](std::string text) {
            for (std::size_t at; (at = text.find(path)) != std::string::npos;)
                text.replace(at, path.size(), "s.tbcode");
            return text;
        };
        return {verdict, strip(out.str()), strip(err.str())};
    }

    TempDir dir;
    const ScriptCodec codec;
};

struct BadScript {
    std::string bytes;
    std::string message;  // what check prints on stderr
};

TEST_F(ScriptCheckTest, NamesTheFirstRefusedLineWithItsNumberReasonAndText)
{
    const std::vector<BadScript> cases = {
        {"LOGMOUSEPOS:1:2\n# note\n\nMBUTTONUP:10:20\nbad\n",
         "s.tbcode:4: unknown keyword \"MBUTTONUP\" (the middle-button release is MBUTTONUNUP)\n    \"MBUTTONUP:10:20\"\n"},
        {"KEYDOWN:640:400\n", "s.tbcode:1: a key line needs x, y and a virtual-key code\n    \"KEYDOWN:640:400\"\n"},
        {"LBUTTONDOWN:1:2\r\nLBUTTONUP:1:\tx\r\n", "s.tbcode:2: no digits in field 3\n    \"LBUTTONUP:1:\\tx\"\n"},
        {"LBUTTONDOWN:1:2\rLBUTTONUP:1:2\rLOGMOUSEPOS:99999999999:1\r",
         "s.tbcode:3: number out of the 32-bit range in field 2\n    \"LOGMOUSEPOS:99999999999:1\"\n"},
        {"#ok\n  \t\n", "s.tbcode:2: a line of blanks is not a comment\n    \"  \\t\"\n"},
        {" LBUTTONDOWN:1:2\n", "s.tbcode:1: a blank before the keyword\n    \" LBUTTONDOWN:1:2\"\n"},
        {"SLEEP:100\n", "s.tbcode:1: a pause line needs exactly five numbers (SLEEP:ms:a:b:x:y)\n    \"SLEEP:100\"\n"},
        {"\xEF\xBB\xBFLOGMOUSEPOS:1:2\nLBUTTONDOWN\x01:1:2\n",
         "s.tbcode:2: unknown keyword \"LBUTTONDOWN\\x01\" (fields are separated by \":\")\n    \"LBUTTONDOWN\\x01:1:2\"\n"},
        {"LOGMOUSEPOS:1:2\\3\nRBUTTONUP:a\\b:1\n", "s.tbcode:2: no digits in field 2\n    \"RBUTTONUP:a\\\\b:1\"\n"},
        {"MOUSEWHEEL:1:2:120\nMOUSEWHEEL:1:2:0\n", "s.tbcode:2: a wheel delta of 0 scrolls nothing\n    \"MOUSEWHEEL:1:2:0\"\n"},
    };
    for (const BadScript& script : cases) {
        const Checked checked = check(script.bytes);
        EXPECT_EQ(checked.verdict, ScriptFileResult::Verdict::Refused) << script.bytes;
        EXPECT_EQ(checked.err, script.message);
        EXPECT_EQ(checked.out, "");
        // --quiet still prints errors.
        EXPECT_EQ(check(script.bytes, true).err, script.message);
    }
}

TEST_F(ScriptCheckTest, SummarisesAnAcceptedScript)
{
    const Checked checked = check("#demo\nLOGMOUSEPOS:-10:5\nLBUTTONDOWN:100:200\nLBUTTONUP:100:200\n"
                                  "KEYDOWN:7:8:65\nKEYUP:7:8:65\nSLEEP:1500:0:0:9999:9999\n"
                                  "MOUSEWHEEL:1:20:-120\nMOUSEHWHEEL:1:20:60\nXBUTTONDOWN:3:40:1\nXBUTTONUP:3:40:1\n");
    EXPECT_EQ(checked.verdict, ScriptFileResult::Verdict::Accepted);
    EXPECT_EQ(checked.out, "s.tbcode: accepted\n"
                           "  events: 10 (1 pointer, 4 button, 2 key, 1 pause, 2 wheel)\n"
                           "  one pass: 1.600 s\n"
                           "  coordinates: x -10 to 100, y 5 to 200\n");
    EXPECT_EQ(checked.err, "");
}

TEST_F(ScriptCheckTest, WarnsOfWhatPlaysUnexpectedlyButAccepts)
{
    const Checked checked = check("LBUTTONDOWN:1:2\nRBUTTONDOWN:1:2\nRBUTTONUP:1:2\nKEYDOWN:1:2:160\n"
                                  "LOGMOUSEPOS:12abc:34\nSLEEP:-1:0:0:0:0\nSLEEP:90000000:0:0:0:0\n"
                                  "KEYDOWN:1:2:7\nKEYUP:1:2:7\nXBUTTONDOWN:1:2:2\n");
    EXPECT_EQ(checked.verdict, ScriptFileResult::Verdict::Accepted);
    EXPECT_EQ(checked.err,
              "s.tbcode:1: warning: the left button pressed here is still down when the script ends\n"
              "s.tbcode:4: warning: key 160 (Left Shift) pressed here is still down when the script ends\n"
              "s.tbcode:5: warning: field 2 \"12abc\" reads as 12\n"
              "s.tbcode:6: warning: a pause of 49 d 17 h 02 min (a negative SLEEP is read as weeks)\n"
              "s.tbcode:7: warning: a pause of 1 d 01 h 00 min\n"
              "s.tbcode:8: warning: virtual-key code 7 is no key on any layout\n"
              "s.tbcode:10: warning: the forward side button pressed here is still down when the script ends\n"
              "s.tbcode: note: a pass that ends normally leaves them down\n");
    EXPECT_NE(checked.out.find("one pass: 50 d 18 h 02 min"), std::string::npos) << checked.out;
    EXPECT_EQ(check("# nothing but a comment\n").err, "s.tbcode: warning: no events, so playing it does nothing\n");
    EXPECT_EQ(check("LBUTTONDOWN:1:2\n", true).err, "");
    EXPECT_EQ(check("LBUTTONDOWN:1:2\n", true).out, "");
}

TEST_F(ScriptCheckTest, ReportsAFileThatCannotBeReadByName)
{
    std::ostringstream out;
    std::ostringstream err;
    const std::string path = dir.file("missing.tbcode");
    EXPECT_EQ(ScriptCheck(codec).run(path, false, out, err), ScriptFileResult::Verdict::Unreadable);
    // The reason is the system's own wording.
    EXPECT_EQ(err.str().rfind(path + ": ", 0), 0u) << err.str();
    EXPECT_GT(err.str().size(), path.size() + 3);
    EXPECT_EQ(out.str(), "");
}

TEST(Durations, ReadForPeople)
{
    const std::vector<std::pair<std::uint64_t, std::string>> cases = {
        {0, "0.000 s"},           {450, "0.450 s"},           {59999, "59.999 s"},
        {60000, "1 min 00.000 s"}, {123450, "2 min 03.450 s"}, {3723000, "1 h 02 min 03 s"},
        {86400000ull * 3 + 4 * 3600000 + 5 * 60000, "3 d 04 h 05 min"},
    };
    for (const auto& [ms, text] : cases)
        EXPECT_EQ(formatDuration(ms), text) << ms;
}

}  // namespace
