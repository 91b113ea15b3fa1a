#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "capture/input_event.h"

// The script format's keyword tables and its two directions: captured events to lines (writer) and
// script lines to playable events (reader). The tables are built once and never change.
class ScriptCodec {
public:
    ScriptCodec();

    // Appends one line (no terminator) per writable event. Events whose code has no keyword and
    // unknown kinds give no line. Always true.
    bool toLines(const std::vector<InputEvent>& events, std::vector<std::string>& lines) const;
    // Appends one event per accepted line. Empty lines and lines starting with '#' are skipped.
    // False at the first refused line; events of the lines before it stay appended.
    bool fromLines(const std::vector<std::string>& lines, std::vector<InputEvent>& events) const;

private:
    // The keyword of the line written for `event`; empty when it gives no line.
    std::string_view keywordOf(const InputEvent& event) const;

    // Writer: captured message code (low byte) to keyword.
    std::map<std::uint8_t, std::string> keyNames;
    std::map<std::uint8_t, std::string> mouseNames;
    // Reader: keyword to injection flags.
    std::map<std::string, std::uint32_t, std::less<>> keyFlags;
    std::map<std::string, std::uint32_t, std::less<>> mouseFlags;
};

// Splits `text` at every `delimiter`. Empty fields between delimiters are kept, a trailing delimiter
// gives no empty last field, and an empty text gives no field.
void splitString(std::string text, std::vector<std::string>& out, char delimiter);

// The bytes of a script file: every line followed by a single line feed.
std::string joinLines(const std::vector<std::string>& lines);
