#include "cli/arguments.h"

#include <charconv>
#include <cmath>
#include <map>

#include "platform/platform_input.h"

namespace {

const char* const kOverview =
    "Usage: tamblo-cli COMMAND [OPTION]... FILE...\n"
    "Check, play and record tamblo scripts (.tbcode) from a terminal.\n"
    "\n"
    "Commands:\n"
    "  check FILE...   say whether scripts would play, and which line is wrong if not\n"
    "  play FILE       play a script as the tamblo window does\n"
    "  record FILE     record the mouse (and with --keys the keyboard) into a script\n"
    "  pick            print the pointer's position and colour as a WAITCOLOR line\n"
    "\n"
    "  --help          show this help, or a command's with tamblo-cli COMMAND --help\n"
    "  --version       show the version\n"
    "\n"
    "Exit status: 0 done, 1 refused or failed, 2 usage error or unreadable file,\n"
    "128+N stopped by signal N. See tamblo-cli(1).\n";

const char* const kCheckHelp =
    "Usage: tamblo-cli check [--quiet] FILE...\n"
    "Reads each script as the player would. For a refused script, names the first refused line\n"
    "(FILE:LINE: reason) and shows it; for an accepted one, prints its events by kind, the play\n"
    "time of one pass and the box of its coordinates, and warns of what plays unexpectedly.\n"
    "\n"
    "  --quiet         print only errors\n"
    "\n"
    "Exit status: 0 every file accepted, 1 a file refused, 2 a file unreadable.\n";

const char* const kPlayHelp =
    "Usage: tamblo-cli play FILE [--repeat N | --loop] [--speed F] [--countdown S] [--stop-key KEY]\n"
    "                            [--pause-key KEY]\n"
    "Plays a script: 10 ms before every event, pauses as written, colour waits until the colour\n"
    "comes; one that times out stops the playback (exit status 1).\n"
    "\n"
    "  --repeat N      play N passes (default 1)\n"
    "  --loop          play until stopped\n"
    "  --speed F       divide every wait and pause by F, from 0.1 to 10 (default 1)\n"
    "  --countdown S   wait S seconds first, to switch windows\n"
    "  --stop-key KEY  the key that stops, seen from any program (default F8): F1-F24, Pause,\n"
    "                  ScrollLock, Escape, Insert, or a letter with modifiers, e.g. ctrl+alt+s\n"
    "  --pause-key KEY the key that pauses, releasing what the script holds, and resumes,\n"
    "                  pressing it again (names as for --stop-key; none by default)\n"
    "\n"
    "Ctrl-C, SIGTERM and SIGHUP stop too. Every stop releases what the script holds.\n";

const char* const kPickHelp =
    "Usage: tamblo-cli pick [--follow]\n"
    "Prints the position of the pointer and the colour under it as a WAITCOLOR line (tolerance\n"
    "10, timeout 10 s), after a comment with the colour as #rrggbb, ready to paste into a script.\n"
    "\n"
    "  --follow        print one every second until Ctrl-C\n";

const char* const kRecordHelp =
    "Usage: tamblo-cli record FILE [--keys] [--clicks-only] [--countdown S] [--stop-key KEY]\n"
    "Records until the stop key (default F7), Ctrl-C or SIGTERM, then saves FILE atomically.\n"
    "\n"
    "  --keys          record the keyboard too (KEYDOWN, KEYUP, SYSKEYDOWN, SYSKEYUP lines)\n"
    "  --clicks-only   no pointer samples: button, wheel (and key) events with SLEEP lines\n"
    "                  between them, so each still plays at its recorded time\n"
    "  --countdown S   wait S seconds first\n"
    "  --stop-key KEY  as for play (default F7); its press and release are never recorded\n";

constexpr int kVkF7 = win::VkF7;
constexpr int kVkF8 = win::VkF8;

bool readNumber(const std::string& text, double& value)
{
    const char* end = text.data() + text.size();
    const auto result = std::from_chars(text.data(), end, value);
    return result.ec == std::errc() && result.ptr == end && std::isfinite(value);
}

bool readCount(const std::string& text, long long& value)
{
    const char* end = text.data() + text.size();
    const auto result = std::from_chars(text.data(), end, value);
    return result.ec == std::errc() && result.ptr == end;
}

class Parser {
public:
    Parser(const std::vector<std::string>& arguments, std::string& problem)
        : arguments(arguments), problem(problem)
    {
    }

    std::optional<Invocation> run()
    {
        if (arguments.empty())
            return fail("no command given");
        const std::string& first = arguments[0];
        if (first == "--help" || first == "-h" || first == "help") {
            invocation.command = Invocation::Command::Help;
            if (first == "help" && arguments.size() > 1)
                invocation.helpTopic = arguments[1];
            return invocation;
        }
        if (first == "--version") {
            invocation.command = Invocation::Command::Version;
            return invocation;
        }
        static const std::map<std::string, Invocation::Command> kCommands = {
            {"check", Invocation::Command::Check},
            {"play", Invocation::Command::Play},
            {"record", Invocation::Command::Record},
            {"pick", Invocation::Command::Pick},
        };
        const auto command = kCommands.find(first);
        if (command == kCommands.end())
            return fail("unknown command \"" + first + "\"");
        invocation.command = command->second;
        bool stopKeyGiven = false;
        bool optionsEnded = false;
        for (index = 1; index < arguments.size(); ++index) {
            const std::string& argument = arguments[index];
            if (optionsEnded || argument.size() < 2 || argument[0] != '-') {
                invocation.files.push_back(argument);
                continue;
            }
            if (argument == "--") {
                optionsEnded = true;
                continue;
            }
            const std::size_t equals = argument.find('=');
            option = argument.substr(0, equals);
            inlineValue = equals == std::string::npos ? std::nullopt : std::optional(argument.substr(equals + 1));
            if (option == "--help" || option == "-h") {
                invocation.helpTopic = first;
                invocation.command = Invocation::Command::Help;
                return invocation;
            }
            if (!accept(stopKeyGiven))
                return std::nullopt;
        }
        if (!stopKeyGiven)
            invocation.stopKey.virtualKey = invocation.command == Invocation::Command::Record ? kVkF7 : kVkF8;
        return checkFiles();
    }

private:
    bool is(Invocation::Command command) const { return invocation.command == command; }

    // One option of the current command; false (with `problem`) when it does not belong or its
    // value is wrong.
    bool accept(bool& stopKeyGiven)
    {
        const bool play = is(Invocation::Command::Play);
        const bool record = is(Invocation::Command::Record);
        if (option == "--quiet" && is(Invocation::Command::Check))
            return flag(invocation.quiet);
        if (option == "--loop" && play)
            return flag(invocation.loop);
        if (option == "--keys" && record)
            return flag(invocation.keys);
        if (option == "--follow" && is(Invocation::Command::Pick))
            return flag(invocation.follow);
        if (option == "--clicks-only" && record)
            return flag(invocation.clicksOnly);
        if (option == "--repeat" && play) {
            std::string text;
            if (!value(text))
                return false;
            if (!readCount(text, invocation.repeat) || invocation.repeat < 1)
                return failed("--repeat needs a whole number of passes, 1 or more, not \"" + text + "\"");
            repeatGiven = true;
            return true;
        }
        if (option == "--speed" && play) {
            std::string text;
            if (!value(text))
                return false;
            if (!readNumber(text, invocation.speed) || invocation.speed < kMinSpeed || invocation.speed > kMaxSpeed)
                return failed("--speed needs a factor from 0.1 to 10, not \"" + text + "\"");
            return true;
        }
        if (option == "--countdown" && (play || record)) {
            std::string text;
            if (!value(text))
                return false;
            if (!readNumber(text, invocation.countdownSeconds) || invocation.countdownSeconds < 0
                || invocation.countdownSeconds > kMaxCountdownSeconds)
                return failed("--countdown needs seconds from 0 to 3600, not \"" + text + "\"");
            return true;
        }
        if (option == "--stop-key" && (play || record)) {
            std::string text;
            if (!value(text))
                return false;
            std::string why;
            const std::optional<KeyChord> chord = parseKeyChord(text, why);
            if (!chord)
                return failed("--stop-key: " + why);
            invocation.stopKey = *chord;
            stopKeyGiven = true;
            return true;
        }
        if (option == "--pause-key" && play) {
            std::string text;
            if (!value(text))
                return false;
            std::string why;
            invocation.pauseKey = parseKeyChord(text, why);
            if (!invocation.pauseKey)
                return failed("--pause-key: " + why);
            return true;
        }
        return failed("unknown option \"" + option + "\" for " + arguments[0]);
    }

    bool flag(bool& target)
    {
        if (inlineValue)
            return failed(option + " takes no value");
        target = true;
        return true;
    }

    bool value(std::string& text)
    {
        if (inlineValue) {
            text = *inlineValue;
            return true;
        }
        if (index + 1 >= arguments.size())
            return failed(option + " needs a value");
        text = arguments[++index];
        return true;
    }

    std::optional<Invocation> checkFiles()
    {
        if (invocation.loop && repeatGiven)
            return fail("--repeat and --loop exclude each other");
        if (invocation.pauseKey && invocation.pauseKey->name() == invocation.stopKey.name())
            return fail("--pause-key and --stop-key must be different keys");
        if (is(Invocation::Command::Pick)) {
            if (!invocation.files.empty())
                return fail("pick takes no file");
            return invocation;
        }
        if (invocation.files.empty())
            return fail(arguments[0] + " needs a script file");
        if (!is(Invocation::Command::Check) && invocation.files.size() > 1)
            return fail(arguments[0] + " takes one script file, not " + std::to_string(invocation.files.size()));
        return invocation;
    }

    bool failed(const std::string& text)
    {
        problem = text;
        return false;
    }

    std::optional<Invocation> fail(const std::string& text)
    {
        problem = text;
        return std::nullopt;
    }

    const std::vector<std::string>& arguments;
    std::string& problem;
    Invocation invocation;
    std::size_t index = 0;
    std::string option;
    std::optional<std::string> inlineValue;
    bool repeatGiven = false;
};

}  // namespace

std::optional<Invocation> parseArguments(const std::vector<std::string>& arguments, std::string& problem)
{
    return Parser(arguments, problem).run();
}

std::string helpText(const std::string& topic)
{
    if (topic == "check")
        return kCheckHelp;
    if (topic == "play")
        return kPlayHelp;
    if (topic == "record")
        return kRecordHelp;
    if (topic == "pick")
        return kPickHelp;
    return kOverview;
}
