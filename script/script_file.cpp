#include "script/script_file.h"

#include <algorithm>
#include <new>

#include "system/regular_file.h"

namespace {

constexpr char32_t kReplacement = 0xFFFD;
// The shortest line that gives an event ("KEYUP:1:2:3") with its end.
constexpr std::uint64_t kShortestEventLine = 12;
constexpr std::size_t kChunk = 64 * 1024;

void appendUtf8(std::string& out, char32_t c)
{
    if (c >= 0xD800 && (c <= 0xDFFF || c > 0x10FFFF))
        c = kReplacement;
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

bool startsWith(std::string_view bytes, std::string_view mark)
{
    return bytes.substr(0, mark.size()) == mark;
}

using namespace std::string_view_literals;

}  // namespace

ScriptLineSplitter::ScriptLineSplitter(LineHandler onLine) : onLine(std::move(onLine)) {}

bool ScriptLineSplitter::feed(std::string_view bytes)
{
    if (stopped)
        return false;
    if (encoding == Encoding::Undecided) {
        pending.append(bytes);
        if (pending.size() < 4)
            return true;
        decide();
        const std::string head = std::move(pending);
        pending.clear();
        return decode(head, false);
    }
    return decode(bytes, false);
}

bool ScriptLineSplitter::finish()
{
    if (stopped)
        return false;
    if (encoding == Encoding::Undecided) {
        decide();
        const std::string head = std::move(pending);
        pending.clear();
        if (!decode(head, false))
            return false;
    }
    if (!decode({}, true))
        return false;
    if (!partial.empty()) {
        const std::string last = std::move(partial);
        partial.clear();
        return deliver(last);
    }
    return true;
}

void ScriptLineSplitter::decide()
{
    struct Mark {
        std::string_view bytes;
        Encoding encoding;
    };
    // UTF-32 before UTF-16: the little-endian marks share their first two bytes.
    static const Mark kMarks[] = {
        {"\xFF\xFE\x00\x00"sv, Encoding::Utf32Le}, {"\x00\x00\xFE\xFF"sv, Encoding::Utf32Be},
        {"\xFF\xFE"sv, Encoding::Utf16Le},         {"\xFE\xFF"sv, Encoding::Utf16Be},
        {"\xEF\xBB\xBF"sv, Encoding::Bytes},
    };
    encoding = Encoding::Bytes;
    for (const Mark& mark : kMarks) {
        if (startsWith(pending, mark.bytes)) {
            encoding = mark.encoding;
            pending.erase(0, mark.bytes.size());
            return;
        }
    }
}

bool ScriptLineSplitter::decode(std::string_view bytes, bool atEnd)
{
    if (encoding == Encoding::Bytes)
        return split(bytes);
    const std::size_t unit = encoding == Encoding::Utf16Le || encoding == Encoding::Utf16Be ? 2 : 4;
    const bool little = encoding == Encoding::Utf16Le || encoding == Encoding::Utf32Le;
    decoded.clear();
    std::string_view rest = bytes;
    // Complete the unit cut by the previous chunk's end.
    std::string carried;
    if (!pending.empty()) {
        const std::size_t missing = std::min(unit - pending.size(), rest.size());
        carried = pending;
        carried.append(rest.substr(0, missing));
        rest.remove_prefix(missing);
        pending.clear();
    }
    const auto decodeUnits = [&](std::string_view units) {
        for (std::size_t i = 0; i + unit <= units.size(); i += unit) {
            char32_t value = 0;
            for (std::size_t b = 0; b < unit; ++b) {
                const auto byte = static_cast<unsigned char>(units[i + (little ? unit - 1 - b : b)]);
                value = (value << 8) | byte;
            }
            if (unit == 4) {
                appendUtf8(decoded, value);
            } else if (value >= 0xD800 && value <= 0xDBFF) {
                if (highSurrogate)
                    appendUtf8(decoded, kReplacement);
                highSurrogate = value;
            } else if (value >= 0xDC00 && value <= 0xDFFF) {
                appendUtf8(decoded, highSurrogate ? 0x10000 + ((highSurrogate - 0xD800) << 10) + (value - 0xDC00)
                                                  : kReplacement);
                highSurrogate = 0;
            } else {
                if (highSurrogate)
                    appendUtf8(decoded, kReplacement);
                highSurrogate = 0;
                appendUtf8(decoded, value);
            }
        }
    };
    if (carried.size() == unit)
        decodeUnits(carried);
    else
        pending = carried;
    const std::size_t whole = rest.size() - rest.size() % unit;
    decodeUnits(rest.substr(0, whole));
    pending.append(rest.substr(whole));
    if (atEnd && (highSurrogate || !pending.empty())) {
        // A text cut short ends in one replacement character, as a decoder shows it.
        appendUtf8(decoded, kReplacement);
        highSurrogate = 0;
        pending.clear();
    }
    return split(decoded);
}

bool ScriptLineSplitter::split(std::string_view text)
{
    std::size_t start = 0;
    if (afterCarriageReturn && !text.empty()) {
        afterCarriageReturn = false;
        if (text.front() == '\n')
            start = 1;
    }
    for (std::size_t i = start; i < text.size(); ++i) {
        const char c = text[i];
        if (c != '\n' && c != '\r')
            continue;
        const std::string_view piece = text.substr(start, i - start);
        if (c == '\r') {
            if (i + 1 == text.size())
                afterCarriageReturn = true;
            else if (text[i + 1] == '\n')
                ++i;
        }
        start = i + 1;
        bool more;
        if (partial.empty()) {
            more = deliver(piece);
        } else {
            partial.append(piece);
            more = deliver(partial);
            partial.clear();
        }
        if (!more)
            return false;
    }
    partial.append(text.substr(start));
    return true;
}

bool ScriptLineSplitter::deliver(std::string_view piece)
{
    if (!onLine(piece))
        stopped = true;
    return !stopped;
}

ScriptFileResult readScriptFile(const std::string& path, const ScriptCodec& codec,
                                std::vector<InputEvent>* events,
                                const std::function<void(const ScriptLine&)>& observe)
{
    ScriptFileResult result;
    RegularFileReader file;
    if (!file.open(path, result.problem)) {
        result.verdict = ScriptFileResult::Verdict::Unreadable;
        return result;
    }
    if (events) {
        // Room for as many events as the file can hold, so the list never moves while it grows;
        // pages that are never written take no memory.
        try {
            events->reserve(events->size() + static_cast<std::size_t>(file.size() / kShortestEventLine + 1));
        } catch (const std::exception&) {
            // Too large to ask for at once: the list grows as it goes.
        }
    }

    std::size_t number = 0;
    ScriptLineSplitter splitter([&](std::string_view text) {
        ++number;
        const LineReading reading = codec.readLine(text);
        if (observe)
            observe(ScriptLine{number, text, reading});
        if (reading.outcome == LineReading::Outcome::Refused) {
            result.verdict = ScriptFileResult::Verdict::Refused;
            result.refusedLine = number;
            result.refusedText = std::string(text);
            result.refusal = reading;
            return false;
        }
        if (reading.outcome == LineReading::Outcome::Accepted && events)
            events->push_back(reading.event);
        return true;
    });

    std::vector<char> buffer(kChunk);
    for (;;) {
        const long long count = file.read(buffer.data(), buffer.size(), result.problem);
        if (count < 0) {
            result.verdict = ScriptFileResult::Verdict::Unreadable;
            result.problem = "cannot read the file: " + result.problem;
            return result;
        }
        if (count == 0)
            break;
        if (!splitter.feed(std::string_view(buffer.data(), static_cast<std::size_t>(count))))
            return result;
    }
    splitter.finish();
    return result;
}

std::function<void(const ScriptLine&)> noteEventLines(std::vector<std::size_t>& lines)
{
    return [&lines](const ScriptLine& line) {
        if (line.reading.outcome == LineReading::Outcome::Accepted)
            lines.push_back(line.number);
    };
}
