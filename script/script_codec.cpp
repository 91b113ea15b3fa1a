#include "script/script_codec.h"

#include <algorithm>
#include <charconv>
#include <climits>
#include <string_view>

namespace {

constexpr std::string_view kSleepKeyword = "SLEEP";
constexpr std::string_view kMousePosKeyword = "LOGMOUSEPOS";
constexpr char kFieldDelimiter = ':';

// splitString's rules, into views of the text (no copy per field).
void splitFields(std::string_view text, std::vector<std::string_view>& out, char delimiter)
{
    out.clear();
    for (;;) {
        const std::size_t at = text.find(delimiter);
        if (at == std::string_view::npos) {
            if (!text.empty())
                out.push_back(text);
            return;
        }
        out.push_back(text.substr(0, at));
        if (at + 1 == text.size())
            return;
        text.remove_prefix(at + 1);
    }
}

enum class Conversion { Ok, NoDigits, OutOfRange };

// Base-10 signed 32-bit reading: leading white space skipped, optional sign, stops at the first
// non-digit. On OutOfRange `value` holds the nearest limit.
Conversion readInt32(std::string_view text, std::int32_t& value)
{
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r')))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    const std::size_t firstDigit = i;
    std::int64_t magnitude = 0;
    constexpr std::int64_t kLimit = std::int64_t{INT_MAX} + 1;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        if (magnitude <= kLimit)
            magnitude = magnitude * 10 + (text[i] - '0');
    }
    if (i == firstDigit) {
        value = 0;
        return Conversion::NoDigits;
    }
    const std::int64_t signedValue = negative ? -magnitude : magnitude;
    if (signedValue > INT_MAX) {
        value = INT_MAX;
        return Conversion::OutOfRange;
    }
    if (signedValue < INT_MIN) {
        value = INT_MIN;
        return Conversion::OutOfRange;
    }
    value = static_cast<std::int32_t>(signedValue);
    return Conversion::Ok;
}

bool strictInt(std::string_view text, std::int32_t& value)
{
    return readInt32(text, value) == Conversion::Ok;
}

std::int32_t lenientInt(std::string_view text)
{
    std::int32_t value;
    readInt32(text, value);
    return value;
}

bool strictU16(std::string_view text, std::uint16_t& value)
{
    std::int32_t wide;
    if (!strictInt(text, wide))
        return false;
    value = static_cast<std::uint16_t>(wide);
    return true;
}

// Appends the decimal text of `number` to the buffer position.
char* put(char* at, char* end, std::uint32_t number)
{
    return std::to_chars(at, end, number).ptr;
}

// Appends text, cut short at the end of the buffer (never reached: the longest line fits).
char* put(char* at, char* end, std::string_view text)
{
    return std::copy_n(text.begin(), std::min(text.size(), static_cast<std::size_t>(end - at)), at);
}

}  // namespace

ScriptCodec::ScriptCodec()
    : keyNames{{0, "KEYDOWN"}, {1, "KEYUP"}, {4, "SYSKEYDOWN"}, {5, "SYSKEYUP"}},
      mouseNames{{4, "RBUTTONDOWN"}, {1, "LBUTTONDOWN"}, {5, "RBUTTONUP"},
                 {2, "LBUTTONUP"},   {7, "MBUTTONDOWN"}, {8, "MBUTTONUNUP"}},
      keyFlags{{"KEYDOWN", 0}, {"KEYUP", 2}, {"SYSKEYDOWN", 0}, {"SYSKEYUP", 2}},
      mouseFlags{{"RBUTTONDOWN", 8}, {"LBUTTONDOWN", 2}, {"RBUTTONUP", 16},
                 {"LBUTTONUP", 4},   {"MBUTTONDOWN", 32}, {"MBUTTONUNUP", 64}}
{
}

std::string_view ScriptCodec::keywordOf(const InputEvent& event) const
{
    const auto named = [&event](const std::map<std::uint8_t, std::string>& names) {
        const auto name = names.find(event.code);
        return name == names.end() ? std::string_view() : std::string_view(name->second);
    };
    switch (static_cast<EventKind>(event.kind)) {
    case EventKind::MouseButton:
        return named(mouseNames);
    case EventKind::Key:
        return named(keyNames);
    case EventKind::Sleep:
        return kSleepKeyword;
    case EventKind::MousePos:
        return kMousePosKeyword;
    default:
        return {};
    }
}

bool ScriptCodec::toLines(const std::vector<InputEvent>& events, std::vector<std::string>& lines) const
{
    // Longest line: "SLEEP" and five numbers with their colons.
    char buffer[80];
    char* const end = buffer + sizeof buffer;
    for (const InputEvent& event : events) {
        const std::string_view keyword = keywordOf(event);
        if (keyword.empty())
            continue;
        char* at = put(buffer, end, keyword);
        const auto field = [&at, end](std::uint32_t number) { at = put(put(at, end, ":"), end, number); };
        if (isKind(event, EventKind::Sleep)) {
            field(static_cast<std::uint32_t>(event.value));
            field(event.extraA);
            field(event.extraB);
        }
        field(event.x);
        field(event.y);
        if (isKind(event, EventKind::Key))
            field(static_cast<std::uint32_t>(event.value));
        lines.emplace_back(buffer, at);
    }
    return true;
}

bool ScriptCodec::fromLines(const std::vector<std::string>& lines, std::vector<InputEvent>& events) const
{
    std::vector<std::string_view> fields;
    for (const std::string& line : lines) {
        if (line.empty() || line.front() == '#')
            continue;
        splitFields(line, fields, kFieldDelimiter);
        const std::string_view keyword = fields.front();

        InputEvent event;
        if (keyword.substr(0, kSleepKeyword.size()) == kSleepKeyword && fields.size() == 6) {
            if (!strictInt(fields[1], event.value))
                return false;
            event.kind = toByte(EventKind::Sleep);
            event.extraA = static_cast<std::uint16_t>(lenientInt(fields[2]));
            event.extraB = static_cast<std::uint16_t>(lenientInt(fields[3]));
            event.x = static_cast<std::uint16_t>(lenientInt(fields[4]));
            event.y = static_cast<std::uint16_t>(lenientInt(fields[5]));
            events.push_back(event);
            continue;
        }
        if (fields.size() < 3)
            return false;
        if (!strictU16(fields[1], event.x) || !strictU16(fields[2], event.y))
            return false;

        if (const auto mouse = mouseFlags.find(keyword); mouse != mouseFlags.end()) {
            event.kind = toByte(EventKind::MouseButton);
            event.code = static_cast<std::uint8_t>(mouse->second);
        } else if (const auto key = keyFlags.find(keyword); key != keyFlags.end()) {
            if (fields.size() < 4 || !strictInt(fields[3], event.value))
                return false;
            event.kind = toByte(EventKind::Key);
            event.code = static_cast<std::uint8_t>(key->second);
        } else if (keyword == kMousePosKeyword) {
            event.kind = toByte(EventKind::MousePos);
        } else {
            return false;
        }
        events.push_back(event);
    }
    return true;
}

void splitString(std::string text, std::vector<std::string>& out, char delimiter)
{
    std::vector<std::string_view> fields;
    splitFields(text, fields, delimiter);
    out.insert(out.end(), fields.begin(), fields.end());
}

std::string joinLines(const std::vector<std::string>& lines)
{
    std::size_t size = 0;
    for (const std::string& line : lines)
        size += line.size() + 1;
    std::string bytes;
    bytes.reserve(size);
    for (const std::string& line : lines) {
        bytes += line;
        bytes += '\n';
    }
    return bytes;
}
