#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "capture/input_event.h"
#include "script/refusal_words.h"

// Why a script line was refused.
enum class LineFault : std::uint8_t {
    None,
    BlankLine,           // only blanks: not a comment
    BlankBeforeComment,  // a blank, then '#'
    BlankBeforeKeyword,
    NoKeyword,           // the line starts with ':'
    UnknownKeyword,
    PauseFields,         // a SLEEP keyword without exactly five numbers
    ButtonFields,        // a button line without x and y
    KeyFields,           // a key line without x, y and a virtual-key code
    PointerFields,       // a LOGMOUSEPOS line without x and y
    WheelFields,         // a wheel line without x, y and a delta
    WheelDeltaZero,      // a wheel line whose delta is 0
    SideButtonFields,    // a side-button line without x, y and a button number
    SideButtonNumber,    // a side-button number other than 1 or 2
    NoDigits,            // in `field`
    OutOfRange,          // in `field`
};

// What the reader made of one line.
struct LineReading {
    enum class Outcome : std::uint8_t { Skipped, Accepted, Refused };
    Outcome outcome = Outcome::Skipped;
    LineFault fault = LineFault::None;
    // 1-based field of a NoDigits or OutOfRange fault.
    std::uint8_t field = 0;
    // Accepted lines: the first number that is followed by other characters (12abc reads as 12),
    // 0 when none.
    std::uint8_t trailingField = 0;
    // Accepted lines: the event. A SideButtonNumber refusal: the number read, in value.
    InputEvent event;
};

// The script format's keyword tables and its two directions: captured events to lines (writer) and
// script lines to playable events (reader). The tables are built once and never change.
class ScriptCodec {
public:
    ScriptCodec();

    // Appends one line (no terminator) per writable event. Events whose code has no keyword,
    // wheel events without a delta, side-button events without the number 1 or 2, and unknown
    // kinds give no line: nothing is written that the reader would refuse. Always true.
    bool toLines(const std::vector<InputEvent>& events, std::vector<std::string>& lines) const;
    // Appends one event per accepted line. Empty lines and lines starting with '#' are skipped.
    // False at the first refused line; events of the lines before it stay appended.
    bool fromLines(const std::vector<std::string>& lines, std::vector<InputEvent>& events) const;
    // The one reading of a line, without terminator, that every reader of scripts goes through.
    LineReading readLine(std::string_view line) const;
    // Why a line is refused, for either face to word; `line` is the line that was read.
    Refusal refusalOf(const LineReading& reading, std::string_view line) const;
    // The same in English, e.g. "no digits in field 3".
    std::string describeFault(const LineReading& reading, std::string_view line) const;

private:
    // The keyword of the line written for `event`; empty when it gives no line.
    std::string_view keywordOf(const InputEvent& event) const;
    // The hint for an unknown keyword; for the upper-case hint `upperCase` gets the keyword meant.
    const Wording* keywordHint(std::string_view keyword, std::string& upperCase) const;
    std::vector<std::string_view> knownKeywords() const;

    // Writer: captured message code (low byte) to keyword.
    std::map<std::uint8_t, std::string> keyNames;
    std::map<std::uint8_t, std::string> mouseNames;
    // Reader: keyword to injection flags.
    std::map<std::string, std::uint32_t, std::less<>> keyFlags;
    std::map<std::string, std::uint32_t, std::less<>> mouseFlags;
};

// Text from a script line in double quotes, with control characters and backslashes escaped
// (\t, \r, \x01, \\), so that messages show exactly what the line holds.
std::string quotedScriptText(std::string_view text);

// Splits `text` at every `delimiter`. Empty fields between delimiters are kept, a trailing delimiter
// gives no empty last field, and an empty text gives no field.
void splitString(std::string text, std::vector<std::string>& out, char delimiter);

// The bytes of a script file: every line followed by a single line feed.
std::string joinLines(const std::vector<std::string>& lines);
