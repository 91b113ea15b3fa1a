#pragma once

#include <cstdint>
#include <iosfwd>
#include <string>
#include <string_view>

#include "script/script_file.h"

// What `tamblo-cli check` says of one script file: the first refused line, or a summary of the
// accepted script (events by kind, wheel lines counted only when there are any, play time of one
// pass, the box of its coordinates) and the warnings for things that play unexpectedly.
class ScriptCheck {
public:
    explicit ScriptCheck(const ScriptCodec& codec) : codec(codec) {}

    // Reads and reports `path`: the summary to `out`, errors and warnings to `err` (only errors
    // when `quiet`).
    ScriptFileResult::Verdict run(const std::string& path, bool quiet, std::ostream& out, std::ostream& err) const;

private:
    const ScriptCodec& codec;
};

// How a script file that is not played is reported, by check and play alike: "FILE: problem" for
// an unreadable file, "FILE:LINE: reason" and the line itself for a refused one.
void reportUnplayable(const ScriptCodec& codec, const std::string& path, const ScriptFileResult& result,
                      std::ostream& err);

// A length of time for people: "0.450 s", "2 min 03.450 s", "1 h 02 min 03 s", "3 d 04 h 05 min".
std::string formatDuration(std::uint64_t milliseconds);
