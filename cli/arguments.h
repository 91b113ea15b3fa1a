#pragma once

#include <optional>
#include <string>
#include <vector>

#include "cli/key_chord.h"

// What the command line asks for, checked: every value in range, no option where it does not
// belong.
struct Invocation {
    enum class Command { Help, Version, Check, Play, Record, Pick };
    Command command = Command::Help;
    // Help: the command whose help was asked for; empty for the overview.
    std::string helpTopic;

    std::vector<std::string> files;
    // check
    bool quiet = false;
    // play
    long long repeat = 1;
    bool loop = false;
    double speed = 1.0;
    // play and record
    double countdownSeconds = 0;
    KeyChord stopKey;
    // play: the key that pauses and resumes; none by default.
    std::optional<KeyChord> pauseKey;
    // pick
    bool follow = false;
    // record
    bool keys = false;
    bool clicksOnly = false;
};

// `arguments` without the program name. Nothing, with `problem` set, for a usage error.
std::optional<Invocation> parseArguments(const std::vector<std::string>& arguments, std::string& problem);

// The help text of a command ("" for the overview).
std::string helpText(const std::string& topic);

constexpr double kMinSpeed = 0.1;
constexpr double kMaxSpeed = 10.0;
constexpr double kMaxCountdownSeconds = 3600.0;
