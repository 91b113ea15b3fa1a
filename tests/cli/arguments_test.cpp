// The command line as users type it: what each command accepts, its defaults, and the words of
// each usage error.
#include <gtest/gtest.h>

#include <sstream>

#include "cli/arguments.h"

namespace {

std::vector<std::string> words(const std::string& line)
{
    std::istringstream in(line);
    std::vector<std::string> out;
    for (std::string word; in >> word;)
        out.push_back(word);
    return out;
}

TEST(Arguments, AcceptsEachCommandWithItsOptionsAndDefaults)
{
    std::string problem;
    const auto play = parseArguments(words("play s.tbcode --repeat=3 --speed 2.5 --countdown 1.5 --stop-key ctrl+alt+s"), problem);
    ASSERT_TRUE(play) << problem;
    EXPECT_EQ(play->command, Invocation::Command::Play);
    EXPECT_EQ(play->files, std::vector<std::string>{"s.tbcode"});
    EXPECT_EQ(play->repeat, 3);
    EXPECT_FALSE(play->loop);
    EXPECT_DOUBLE_EQ(play->speed, 2.5);
    EXPECT_DOUBLE_EQ(play->countdownSeconds, 1.5);
    EXPECT_EQ(play->stopKey.name(), "ctrl+alt+S");

    const auto loop = parseArguments(words("play --loop s.tbcode"), problem);
    ASSERT_TRUE(loop) << problem;
    EXPECT_TRUE(loop->loop);
    EXPECT_EQ(loop->stopKey.name(), "F8");
    EXPECT_DOUBLE_EQ(loop->speed, 1.0);

    const auto record = parseArguments(words("record --keys --clicks-only out.tbcode"), problem);
    ASSERT_TRUE(record) << problem;
    EXPECT_TRUE(record->keys);
    EXPECT_TRUE(record->clicksOnly);
    EXPECT_EQ(record->stopKey.name(), "F7");

    const auto check = parseArguments(words("check --quiet a.tbcode b.tbcode -- --odd"), problem);
    ASSERT_TRUE(check) << problem;
    EXPECT_TRUE(check->quiet);
    EXPECT_EQ(check->files, (std::vector<std::string>{"a.tbcode", "b.tbcode", "--odd"}));

    const auto help = parseArguments(words("record --help"), problem);
    ASSERT_TRUE(help);
    EXPECT_EQ(help->command, Invocation::Command::Help);
    EXPECT_EQ(help->helpTopic, "record");
    EXPECT_NE(helpText("record").find("--clicks-only"), std::string::npos);
}

TEST(Arguments, RefusesWhatDoesNotBelongInPlainWords)
{
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"", "no command given"},
        {"replay s", "unknown command \"replay\""},
        {"play", "play needs a script file"},
        {"play a b", "play takes one script file, not 2"},
        {"play s --repeat 0", "--repeat needs a whole number of passes, 1 or more, not \"0\""},
        {"play s --repeat 2x", "--repeat needs a whole number of passes, 1 or more, not \"2x\""},
        {"play s --repeat 2 --loop", "--repeat and --loop exclude each other"},
        {"play s --speed 0.09", "--speed needs a factor from 0.1 to 10, not \"0.09\""},
        {"play s --speed 10.5", "--speed needs a factor from 0.1 to 10, not \"10.5\""},
        {"play s --speed nan", "--speed needs a factor from 0.1 to 10, not \"nan\""},
        {"play s --countdown -1", "--countdown needs seconds from 0 to 3600, not \"-1\""},
        {"play s --countdown", "--countdown needs a value"},
        {"play s --loop=yes", "--loop takes no value"},
        {"play s --keys", "unknown option \"--keys\" for play"},
        {"record s --repeat 2", "unknown option \"--repeat\" for record"},
        {"check s --speed 2", "unknown option \"--speed\" for check"},
        {"play s --stop-key F25", "--stop-key: unknown key \"F25\" (use F1 to F24, Pause, ScrollLock, Escape, Insert, or a letter with modifiers)"},
        {"play s --stop-key meta+F8", "--stop-key: unknown modifier \"meta\" in \"meta+F8\" (use ctrl, alt or shift)"},
        {"play s --stop-key shift+q", "--stop-key: a letter stops only with ctrl or alt held (e.g. ctrl+alt+q), or it would stop whenever it is typed"},
    };
    for (const auto& [line, expected] : cases) {
        std::string problem;
        EXPECT_FALSE(parseArguments(words(line), problem)) << line;
        EXPECT_EQ(problem, expected) << line;
    }
}

TEST(KeyChord, ReadsTheStopKeyNamesInAnyCase)
{
    const std::vector<std::pair<std::string, KeyChord>> cases = {
        {"F1", {0x70}},
        {"f24", {0x87}},
        {"Pause", {0x13}},
        {"scrolllock", {0x91}},
        {"ESCAPE", {0x1B}},
        {"Insert", {0x2D}},
        {"ctrl+F8", {0x77, true}},
        {"Control+Alt+s", {0x53, true, true}},
        {"alt+shift+Z", {0x5A, false, true, true}},
    };
    for (const auto& [name, expected] : cases) {
        std::string problem;
        const std::optional<KeyChord> chord = parseKeyChord(name, problem);
        ASSERT_TRUE(chord) << name << ": " << problem;
        EXPECT_EQ(chord->virtualKey, expected.virtualKey) << name;
        EXPECT_EQ(chord->control, expected.control) << name;
        EXPECT_EQ(chord->alt, expected.alt) << name;
        EXPECT_EQ(chord->shift, expected.shift) << name;
    }
    std::string problem;
    for (const char* bad : {"F0", "F07", "", "ctrl+", "+F8", "Enter", "ctrl+5"})
        EXPECT_FALSE(parseKeyChord(bad, problem)) << bad;
}

TEST(KeyChord, ModifiersMatchTheirGenericAndSidedCodes)
{
    const KeyChord chord{0x53, true, true, false};
    for (int modifier : {0x11, 0xA2, 0xA3, 0x12, 0xA4, 0xA5})
        EXPECT_TRUE(chord.isModifier(modifier)) << modifier;
    for (int other : {0x10, 0xA0, 0xA1, 0x53, 0x41})
        EXPECT_FALSE(chord.isModifier(other)) << other;
}

TEST(KeyChord, KeyboardKeysAreThoseWithAKeyOnSomeLayout)
{
    for (long long key : {0x03LL, 0x08LL, 0x0DLL, 0x10LL, 0x30LL, 0x41LL, 0x5ALL, 0x70LL, 0x87LL, 0xA5LL, 0xBALL, 0xDELL, 0xFELL})
        EXPECT_TRUE(isKeyboardKey(key)) << key;
    for (long long key : {-1LL, 0x00LL, 0x01LL, 0x02LL, 0x07LL, 0x3ALL, 0x40LL, 0x88LL, 0xC1LL, 0xE8LL, 0xFFLL, 0x141LL})
        EXPECT_FALSE(isKeyboardKey(key)) << key;
}

}  // namespace
