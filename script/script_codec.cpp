#include "script/script_codec.h"

#include <algorithm>
#include <charconv>
#include <climits>
#include <string_view>

#include "platform/platform_input.h"

namespace {

constexpr std::string_view kSleepKeyword = "SLEEP";
constexpr std::string_view kMousePosKeyword = "LOGMOUSEPOS";
constexpr char kFieldDelimiter = ':';

// The fields of one line as splitString cuts them: the first kKept as views, all of them counted.
struct Fields {
    static constexpr std::size_t kKept = 6;
    std::string_view at[kKept];
    std::size_t count = 0;

    void add(std::string_view field)
    {
        if (count < kKept)
            at[count] = field;
        ++count;
    }
};

// splitString's rules: empty inner fields kept, no empty last field after a trailing delimiter.
template <typename Add>
void splitFields(std::string_view text, char delimiter, Add&& add)
{
    for (;;) {
        const std::size_t at = text.find(delimiter);
        if (at == std::string_view::npos) {
            if (!text.empty())
                add(text);
            return;
        }
        add(text.substr(0, at));
        if (at + 1 == text.size())
            return;
        text.remove_prefix(at + 1);
    }
}

bool isBlank(char c)
{
    return c == ' ' || (c >= '\t' && c <= '\r');
}

enum class Conversion { Ok, NoDigits, OutOfRange };

struct Number {
    Conversion conversion = Conversion::Ok;
    // Ok: the value; OutOfRange: the nearest limit; NoDigits: 0.
    std::int32_t value = 0;
    // Characters follow the digits.
    bool trailing = false;
};

// Base-10 signed 32-bit reading: leading white space skipped, optional sign, stops at the first
// non-digit.
Number readInt32(std::string_view text)
{
    std::size_t i = 0;
    while (i < text.size() && isBlank(text[i]))
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
    Number number;
    if (i == firstDigit) {
        number.conversion = Conversion::NoDigits;
        return number;
    }
    number.trailing = i < text.size();
    const std::int64_t signedValue = negative ? -magnitude : magnitude;
    if (signedValue > INT_MAX || signedValue < INT_MIN) {
        number.conversion = Conversion::OutOfRange;
        number.value = signedValue > INT_MAX ? INT_MAX : INT_MIN;
        return number;
    }
    number.value = static_cast<std::int32_t>(signedValue);
    return number;
}

std::int32_t lenientInt(std::string_view text)
{
    return readInt32(text).value;
}

// Reads the strict numbers of a line into a LineReading, remembering the first failure.
class StrictFields {
public:
    StrictFields(const Fields& fields, LineReading& reading) : fields(fields), reading(reading) {}

    // Field `index` is 1-based; false once any field failed.
    bool read(std::size_t index, std::int32_t& value)
    {
        const Number number = readInt32(fields.at[index - 1]);
        if (number.conversion != Conversion::Ok) {
            reading.outcome = LineReading::Outcome::Refused;
            reading.fault = number.conversion == Conversion::NoDigits ? LineFault::NoDigits
                                                                      : LineFault::OutOfRange;
            reading.field = static_cast<std::uint8_t>(index);
            return false;
        }
        if (number.trailing && reading.trailingField == 0)
            reading.trailingField = static_cast<std::uint8_t>(index);
        value = number.value;
        return true;
    }

    // A 16-bit field keeps the low 16 bits of the number.
    bool read(std::size_t index, std::uint16_t& value)
    {
        std::int32_t wide = 0;
        if (!read(index, wide))
            return false;
        value = static_cast<std::uint16_t>(wide);
        return true;
    }

private:
    const Fields& fields;
    LineReading& reading;
};

LineReading refused(LineFault fault)
{
    LineReading reading;
    reading.outcome = LineReading::Outcome::Refused;
    reading.fault = fault;
    return reading;
}

// Why a line whose keyword is in no table was refused.
LineFault unknownKeywordFault(std::string_view line, std::string_view keyword)
{
    if (std::all_of(line.begin(), line.end(), isBlank))
        return LineFault::BlankLine;
    if (isBlank(line.front())) {
        const std::size_t text = line.find_first_not_of(" \t\n\v\f\r");
        return line[text] == '#' ? LineFault::BlankBeforeComment : LineFault::BlankBeforeKeyword;
    }
    if (keyword.empty())
        return LineFault::NoKeyword;
    if (keyword.substr(0, kSleepKeyword.size()) == kSleepKeyword)
        return LineFault::PauseFields;
    return LineFault::UnknownKeyword;
}

// Appends the decimal text of `number` to the buffer position.
char* put(char* at, char* end, std::uint32_t number)
{
    return std::to_chars(at, end, number).ptr;
}

char* putSigned(char* at, char* end, std::int32_t number)
{
    return std::to_chars(at, end, number).ptr;
}

bool isCapturedWheel(std::uint8_t code)
{
    return code == static_cast<std::uint8_t>(win::WmMouseWheel) || code == static_cast<std::uint8_t>(win::WmMouseHWheel);
}

bool isCapturedSideButton(std::uint8_t code)
{
    return code == static_cast<std::uint8_t>(win::WmXButtonDown) || code == static_cast<std::uint8_t>(win::WmXButtonUp);
}

// Captured wheel and side-button events carry their delta or button number as a fourth field.
bool capturedWithMouseData(std::uint8_t code)
{
    return isCapturedWheel(code) || isCapturedSideButton(code);
}

// A delta of 0 or a side button other than 1 and 2 would make a line the reader refuses.
bool hasReadableMouseData(const InputEvent& event)
{
    if (isCapturedWheel(event.code))
        return event.value != 0;
    if (isCapturedSideButton(event.code))
        return event.value == win::XButton1 || event.value == win::XButton2;
    return true;
}

constexpr std::uint32_t kWheelFlags = win::MouseWheel | win::MouseHWheel;
constexpr std::uint32_t kSideButtonFlags = win::MouseXDown | win::MouseXUp;

// Appends text, cut short at the end of the buffer (never reached: the longest line fits).
char* put(char* at, char* end, std::string_view text)
{
    return std::copy_n(text.begin(), std::min(text.size(), static_cast<std::size_t>(end - at)), at);
}

}  // namespace

ScriptCodec::ScriptCodec()
    : keyNames{{0, "KEYDOWN"}, {1, "KEYUP"}, {4, "SYSKEYDOWN"}, {5, "SYSKEYUP"}},
      mouseNames{{4, "RBUTTONDOWN"},  {1, "LBUTTONDOWN"},  {5, "RBUTTONUP"},   {2, "LBUTTONUP"},
                 {7, "MBUTTONDOWN"},  {8, "MBUTTONUNUP"},  {0x0A, "MOUSEWHEEL"}, {0x0E, "MOUSEHWHEEL"},
                 {0x0B, "XBUTTONDOWN"}, {0x0C, "XBUTTONUP"}},
      keyFlags{{"KEYDOWN", 0}, {"KEYUP", 2}, {"SYSKEYDOWN", 0}, {"SYSKEYUP", 2}},
      mouseFlags{{"RBUTTONDOWN", 8},    {"LBUTTONDOWN", 2},      {"RBUTTONUP", 16},
                 {"LBUTTONUP", 4},      {"MBUTTONDOWN", 32},     {"MBUTTONUNUP", 64},
                 {"MOUSEWHEEL", 0x800}, {"MOUSEHWHEEL", 0x1000}, {"XBUTTONDOWN", 0x80},
                 {"XBUTTONUP", 0x100}}
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
        return hasReadableMouseData(event) ? named(mouseNames) : std::string_view();
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
        // The delta is the one number written with a sign.
        if (isKind(event, EventKind::MouseButton) && capturedWithMouseData(event.code))
            at = putSigned(put(at, end, ":"), end, event.value);
        lines.emplace_back(buffer, at);
    }
    return true;
}

bool ScriptCodec::fromLines(const std::vector<std::string>& lines, std::vector<InputEvent>& events) const
{
    for (const std::string& line : lines) {
        const LineReading reading = readLine(line);
        if (reading.outcome == LineReading::Outcome::Refused)
            return false;
        if (reading.outcome == LineReading::Outcome::Accepted)
            events.push_back(reading.event);
    }
    return true;
}

LineReading ScriptCodec::readLine(std::string_view line) const
{
    LineReading reading;
    if (line.empty() || line.front() == '#')
        return reading;
    Fields fields;
    splitFields(line, kFieldDelimiter, [&fields](std::string_view field) { fields.add(field); });
    const std::string_view keyword = fields.at[0];
    InputEvent& event = reading.event;
    StrictFields strict(fields, reading);

    if (keyword.substr(0, kSleepKeyword.size()) == kSleepKeyword && fields.count == 6) {
        if (!strict.read(2, event.value))
            return reading;
        event.kind = toByte(EventKind::Sleep);
        event.extraA = static_cast<std::uint16_t>(lenientInt(fields.at[2]));
        event.extraB = static_cast<std::uint16_t>(lenientInt(fields.at[3]));
        event.x = static_cast<std::uint16_t>(lenientInt(fields.at[4]));
        event.y = static_cast<std::uint16_t>(lenientInt(fields.at[5]));
        reading.outcome = LineReading::Outcome::Accepted;
        return reading;
    }

    std::size_t fieldsNeeded = 3;
    LineFault tooFew = LineFault::PointerFields;
    std::uint32_t flags = 0;
    if (const auto mouse = mouseFlags.find(keyword); mouse != mouseFlags.end()) {
        flags = mouse->second;
        event.kind = toByte(EventKind::MouseButton);
        setInjectionFlags(event, flags);
        tooFew = LineFault::ButtonFields;
        if (flags & (kWheelFlags | kSideButtonFlags)) {
            fieldsNeeded = 4;
            tooFew = flags & kWheelFlags ? LineFault::WheelFields : LineFault::SideButtonFields;
        }
    } else if (const auto key = keyFlags.find(keyword); key != keyFlags.end()) {
        event.kind = toByte(EventKind::Key);
        event.code = static_cast<std::uint8_t>(key->second);
        fieldsNeeded = 4;
        tooFew = LineFault::KeyFields;
    } else if (keyword == kMousePosKeyword) {
        event.kind = toByte(EventKind::MousePos);
    } else {
        return refused(unknownKeywordFault(line, keyword));
    }
    if (fields.count < fieldsNeeded)
        return refused(tooFew);
    if (!strict.read(2, event.x) || !strict.read(3, event.y))
        return reading;
    if (fieldsNeeded == 4 && !strict.read(4, event.value))
        return reading;
    if ((flags & kWheelFlags) && event.value == 0)
        return refused(LineFault::WheelDeltaZero);
    if ((flags & kSideButtonFlags) && event.value != win::XButton1 && event.value != win::XButton2) {
        LineReading wrongButton = refused(LineFault::SideButtonNumber);
        wrongButton.event.value = event.value;
        return wrongButton;
    }
    reading.outcome = LineReading::Outcome::Accepted;
    return reading;
}

namespace {

struct FaultWording {
    LineFault fault;
    Wording words;
};

// Every refusal in both languages, side by side, so the two cannot drift apart.
const FaultWording kFaultWords[] = {
    {LineFault::BlankLine, {"a line of blanks is not a comment", "只有空白的行不是注释"}},
    {LineFault::BlankBeforeComment,
     {"a blank before \"#\" (a comment starts with # in the first column)", "“#”前有空白（注释须在第一列以 # 开头）"}},
    {LineFault::BlankBeforeKeyword, {"a blank before the keyword", "关键字前有空白"}},
    {LineFault::NoKeyword, {"no keyword before the first \":\"", "第一个“:”前没有关键字"}},
    {LineFault::UnknownKeyword, {"unknown keyword %1", "未知的关键字 %1"}},
    {LineFault::PauseFields,
     {"a pause line needs exactly five numbers (SLEEP:ms:a:b:x:y)", "暂停行需要恰好五个数字（SLEEP:毫秒:a:b:x:y）"}},
    {LineFault::ButtonFields, {"a button line needs x and y", "鼠标按键行需要 x 和 y"}},
    {LineFault::KeyFields, {"a key line needs x, y and a virtual-key code", "键盘行需要 x、y 和虚拟键码"}},
    {LineFault::PointerFields, {"a pointer line needs x and y", "指针行需要 x 和 y"}},
    {LineFault::WheelFields,
     {"a wheel line needs x, y and a delta (120 a notch, negative the other way)",
      "滚轮行需要 x、y 和滚动量（一格为 120，负数为反方向）"}},
    {LineFault::WheelDeltaZero, {"a wheel delta of 0 scrolls nothing", "滚动量为 0，不会滚动"}},
    {LineFault::SideButtonFields,
     {"a side-button line needs x, y and the button: 1 (back) or 2 (forward)",
      "侧键行需要 x、y 和侧键编号：1（后退）或 2（前进）"}},
    {LineFault::SideButtonNumber,
     {"side button %1 does not exist: 1 is back, 2 is forward", "侧键 %1 不存在：1 为后退，2 为前进"}},
    {LineFault::NoDigits, {"no digits in field %1", "第 %1 个字段中没有数字"}},
    {LineFault::OutOfRange, {"number out of the 32-bit range in field %1", "第 %1 个字段的数字超出 32 位整数范围"}},
};

// What an unknown keyword most likely meant.
const Wording kMiddleReleaseHint{" (the middle-button release is MBUTTONUNUP)", "（鼠标中键松开的关键字是 MBUTTONUNUP）"};
const Wording kUpperCaseHint{" (keywords are upper case: %2)", "（关键字须大写：%2）"};
const Wording kBlankAfterKeywordHint{" (a blank after the keyword)", "（关键字后有空白）"};
const Wording kFieldDelimiterHint{" (fields are separated by \":\")", "（字段之间以“:”分隔）"};

}  // namespace

std::string filledIn(std::string_view text, const Refusal& refusal)
{
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 1 < text.size() && (text[i + 1] == '1' || text[i + 1] == '2')) {
            out += text[i + 1] == '1' ? refusal.first : refusal.second;
            ++i;
        } else {
            out += text[i];
        }
    }
    return out;
}

std::string englishReason(const Refusal& refusal)
{
    if (!refusal.reason)
        return {};
    return filledIn(refusal.reason->english, refusal) + (refusal.hint ? filledIn(refusal.hint->english, refusal) : "");
}

Refusal ScriptCodec::refusalOf(const LineReading& reading, std::string_view line) const
{
    Refusal refusal;
    for (const FaultWording& entry : kFaultWords) {
        if (entry.fault == reading.fault)
            refusal.reason = &entry.words;
    }
    switch (reading.fault) {
    case LineFault::UnknownKeyword: {
        const std::string_view keyword = line.substr(0, line.find(kFieldDelimiter));
        refusal.first = quotedScriptText(keyword);
        refusal.hint = keywordHint(keyword, refusal.second);
        break;
    }
    case LineFault::SideButtonNumber:
        refusal.first = std::to_string(reading.event.value);
        break;
    case LineFault::NoDigits:
    case LineFault::OutOfRange:
        refusal.first = std::to_string(reading.field);
        break;
    default:
        break;
    }
    return refusal;
}

std::string ScriptCodec::describeFault(const LineReading& reading, std::string_view line) const
{
    return englishReason(refusalOf(reading, line));
}

const Wording* ScriptCodec::keywordHint(std::string_view keyword, std::string& upperCase) const
{
    if (keyword == "MBUTTONUP")
        return &kMiddleReleaseHint;
    std::string upper(keyword);
    std::transform(upper.begin(), upper.end(), upper.begin(),
                   [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; });
    if (upper != keyword && (mouseFlags.count(upper) || keyFlags.count(upper) || upper == kMousePosKeyword)) {
        upperCase = upper;
        return &kUpperCaseHint;
    }
    for (const std::string_view known : knownKeywords()) {
        if (keyword.size() > known.size() && keyword.substr(0, known.size()) == known) {
            if (isBlank(keyword[known.size()]) && keyword.find_first_not_of(" \t", known.size()) == std::string_view::npos)
                return &kBlankAfterKeywordHint;
            return &kFieldDelimiterHint;
        }
    }
    return nullptr;
}

std::vector<std::string_view> ScriptCodec::knownKeywords() const
{
    std::vector<std::string_view> known{kMousePosKeyword, kSleepKeyword};
    for (const auto& entry : mouseFlags)
        known.push_back(entry.first);
    for (const auto& entry : keyFlags)
        known.push_back(entry.first);
    return known;
}

std::string quotedScriptText(std::string_view text)
{
    std::string quoted = "\"";
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '\t') {
            quoted += "\\t";
        } else if (c == '\r') {
            quoted += "\\r";
        } else if (c == '\n') {
            quoted += "\\n";
        } else if (c == '\\') {
            quoted += "\\\\";
        } else if (byte < 0x20 || byte == 0x7F) {
            constexpr char kHex[] = "0123456789ABCDEF";
            quoted += "\\x";
            quoted += kHex[byte >> 4];
            quoted += kHex[byte & 0xF];
        } else {
            quoted += c;
        }
    }
    return quoted + "\"";
}

void splitString(std::string text, std::vector<std::string>& out, char delimiter)
{
    splitFields(text, delimiter, [&out](std::string_view field) { out.emplace_back(field); });
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
