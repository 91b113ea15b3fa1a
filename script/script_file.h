#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "capture/input_event.h"
#include "script/script_codec.h"

// Cuts the bytes of a script file into lines, fed in chunks of any size. A byte-order mark at the
// start chooses the encoding: UTF-8 (the mark is dropped), UTF-16 or UTF-32 (decoded to UTF-8);
// without one the bytes are taken as they are. LF, CRLF and a lone CR each end a line; a last line
// without an end counts, an end at the end of the file makes no empty line after it.
class ScriptLineSplitter {
public:
    // Receives each line without its end; returns false to stop.
    using LineHandler = std::function<bool(std::string_view line)>;

    explicit ScriptLineSplitter(LineHandler onLine);

    // False once the handler has asked to stop; later calls do nothing.
    bool feed(std::string_view bytes);
    // Ends the input: the last line, and anything cut short by the end, go out.
    bool finish();

private:
    enum class Encoding : std::uint8_t { Undecided, Bytes, Utf16Le, Utf16Be, Utf32Le, Utf32Be };

    void decide();
    bool decode(std::string_view bytes, bool atEnd);
    bool split(std::string_view text);
    bool deliver(std::string_view piece);

    LineHandler onLine;
    Encoding encoding = Encoding::Undecided;
    // The first bytes, until the encoding is known; then a code unit cut by a chunk's end.
    std::string pending;
    std::string decoded;
    // A line begun in an earlier chunk.
    std::string partial;
    char32_t highSurrogate = 0;
    bool afterCarriageReturn = false;
    bool stopped = false;
};

// One line as a script reader saw it.
struct ScriptLine {
    std::size_t number;  // 1-based, every line counted, comments included
    std::string_view text;
    const LineReading& reading;
};

struct ScriptFileResult {
    enum class Verdict : std::uint8_t { Accepted, Refused, Unreadable };
    Verdict verdict = Verdict::Accepted;
    // Unreadable: why, in plain words.
    std::string problem;
    // Refused: the first refused line, its text as read and what was wrong with it.
    std::size_t refusedLine = 0;
    std::string refusedText;
    LineReading refusal;
};

// An observer for readScriptFile that notes the line number of each accepted event, in order, so
// that a playback can say on which line it stopped.
std::function<void(const ScriptLine&)> noteEventLines(std::vector<std::size_t>& lines);

// Reads a script file the one way the window and the command line both read it: only a regular
// file (never blocking on anything else), split and decoded by ScriptLineSplitter, each line read
// by codec.readLine, stopping at the first refused line. Accepted events are appended to `events`
// when it is given; `observe` sees every line read. The file is read in small chunks, so the
// memory it takes is that of the events.
ScriptFileResult readScriptFile(const std::string& path, const ScriptCodec& codec,
                                std::vector<InputEvent>* events,
                                const std::function<void(const ScriptLine&)>& observe = {});
