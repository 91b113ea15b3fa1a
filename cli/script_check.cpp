#include "cli/script_check.h"

#include <algorithm>
#include <cstdio>
#include <set>
#include <ostream>
#include <vector>

#include "cli/key_chord.h"
#include "platform/platform_input.h"
#include "playback/held_inputs.h"

namespace {

constexpr std::uint64_t kDayMs = 24ull * 3600 * 1000;
// Warnings past this many are counted, not printed.
constexpr std::size_t kWarningsShown = 20;

struct Box {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    bool empty = true;

    void add(int x, int y)
    {
        if (empty) {
            left = right = x;
            top = bottom = y;
            empty = false;
            return;
        }
        left = std::min(left, x);
        right = std::max(right, x);
        top = std::min(top, y);
        bottom = std::max(bottom, y);
    }
};

const char* buttonName(std::uint32_t virtualKey)
{
    switch (virtualKey) {
    case 0x01:
        return "the left button";
    case 0x02:
        return "the right button";
    case 0x04:
        return "the middle button";
    case 0x05:
        return "the back side button";
    default:
        return "the forward side button";
    }
}

std::string keyName(std::uint32_t virtualKey)
{
    const std::string name = virtualKeyName(static_cast<int>(virtualKey));
    return "key " + std::to_string(virtualKey) + (name.empty() ? "" : " (" + name + ")");
}

// The `index`-th field (1-based) of a line, as the reader cuts it.
std::string_view fieldOf(std::string_view line, std::size_t index)
{
    for (std::size_t i = 1; i < index; ++i)
        line.remove_prefix(std::min(line.size(), line.find(':') + 1));
    return line.substr(0, line.find(':'));
}

// The part of a number field that the reader reads: blanks, sign and digits.
std::string_view numberPart(std::string_view field)
{
    std::size_t end = field.find_first_not_of(" \t\n\v\f\r");
    if (end == std::string_view::npos)
        return field;
    if (field[end] == '+' || field[end] == '-')
        ++end;
    while (end < field.size() && field[end] >= '0' && field[end] <= '9')
        ++end;
    return field.substr(0, end);
}

// Everything check learns from the lines of an accepted script.
class ScriptSummary {
public:
    void add(const ScriptLine& line)
    {
        if (line.reading.trailingField != 0) {
            const std::string_view field = fieldOf(line.text, line.reading.trailingField);
            warn(line.number, "field " + std::to_string(line.reading.trailingField) + " " + quotedScriptText(field)
                                  + " reads as " + std::string(numberPart(field)));
        }
        if (line.reading.outcome != LineReading::Outcome::Accepted)
            return;
        const InputEvent& event = line.reading.event;
        ++events;
        playMs += static_cast<std::uint64_t>(replayTime(event).count());
        switch (static_cast<EventKind>(event.kind)) {
        case EventKind::MouseButton: {
            addPosition(event);
            const std::uint32_t flags = injectionFlags(event);
            if (flags & (win::MouseWheel | win::MouseHWheel)) {
                ++wheels;
                break;
            }
            ++buttons;
            held.apply(event, line.number);
            break;
        }
        case EventKind::Key: {
            ++keys;
            addPosition(event);
            held.apply(event, line.number);
            if (!isKeyboardKey(event.value) && unknownKeys.insert(event.value).second)
                warn(line.number, "virtual-key code " + std::to_string(event.value) + " is no key on any layout");
            break;
        }
        case EventKind::Sleep: {
            ++pauses;
            const std::uint32_t pause = static_cast<std::uint32_t>(event.value);
            if (pause > kDayMs)
                warn(line.number, "a pause of " + formatDuration(pause)
                                      + (event.value < 0 ? " (a negative SLEEP is read as weeks)" : ""));
            break;
        }
        case EventKind::MousePos:
            ++pointerMoves;
            addPosition(event);
            break;
        case EventKind::WaitColor:
            addWait(line.number, event);
            break;
        }
    }

    void finish()
    {
        for (const HeldInputs::Entry& entry : held.inPressOrder()) {
            const std::string what = entry.input.button ? buttonName(entry.input.code) : keyName(entry.input.code);
            warn(entry.pressedAt, what + " pressed here is still down when the script ends");
        }
        std::sort(warnings.begin(), warnings.end());
    }

    void print(const std::string& path, std::ostream& out) const
    {
        out << path << ": accepted\n";
        out << "  events: " << events << " (" << pointerMoves << " pointer, " << buttons << " button, " << keys
            << " key, " << pauses << " pause" << (wheels ? ", " + std::to_string(wheels) + " wheel" : "")
            << (waits.empty() ? "" : ", " + std::to_string(waits.size()) + " colour wait") << ")\n";
        out << "  one pass: " << formatDuration(playMs);
        if (!waits.empty())
            out << " when every colour is there at once, at most " << formatDuration(playMs + waitMs);
        out << "\n";
        const std::size_t shown = std::min(waits.size(), kWarningsShown);
        for (std::size_t i = 0; i < shown; ++i)
            out << "  line " << waits[i].first << ": " << waits[i].second << "\n";
        if (waits.size() > shown)
            out << "  " << waits.size() - shown << " more colour waits\n";
        if (box.empty)
            out << "  coordinates: none\n";
        else
            out << "  coordinates: x " << box.left << " to " << box.right << ", y " << box.top << " to "
                << box.bottom << "\n";
    }

    void printWarnings(const std::string& path, std::ostream& err) const
    {
        const std::size_t shown = std::min(warnings.size(), kWarningsShown);
        for (std::size_t i = 0; i < shown; ++i)
            err << path << ":" << warnings[i].first << ": warning: " << warnings[i].second << "\n";
        if (warnings.size() > shown)
            err << path << ": " << warnings.size() - shown << " more warnings\n";
        if (!held.empty())
            err << path << ": note: a pass that ends normally leaves them down\n";
        if (events == 0)
            err << path << ": warning: no events, so playing it does nothing\n";
    }

private:
    void addPosition(const InputEvent& event)
    {
        const ScreenPoint at = screenPosition(event);
        box.add(at.x, at.y);
    }

    void warn(std::size_t line, std::string text) { warnings.emplace_back(line, std::move(text)); }

    // A wait that times out ends the pass in its last slot, at or before its timeout.
    void addWait(std::size_t line, const InputEvent& event)
    {
        addPosition(event);
        const ScreenPoint at = screenPosition(event);
        const std::uint32_t timeout = static_cast<std::uint32_t>(event.value);
        waitMs += timeout;
        const std::uint32_t rgb = waitColour(event);
        waits.emplace_back(line, "waits for " + colourText(rgb) + " (" + std::to_string(rgb) + ", tolerance "
                                     + std::to_string(event.code) + ") at " + std::to_string(at.x) + "," + std::to_string(at.y)
                                     + ", at most "
                                     + formatDuration(timeout));
    }

    std::uint64_t events = 0;
    std::uint64_t pointerMoves = 0;
    std::uint64_t buttons = 0;
    std::uint64_t keys = 0;
    std::uint64_t pauses = 0;
    std::uint64_t wheels = 0;
    std::uint64_t playMs = 0;
    // The colour waits' timeouts added up, and each wait described.
    std::uint64_t waitMs = 0;
    std::vector<std::pair<std::size_t, std::string>> waits;
    Box box;
    HeldInputs held;
    std::set<std::int32_t> unknownKeys;
    std::vector<std::pair<std::size_t, std::string>> warnings;
};

}  // namespace

ScriptFileResult::Verdict ScriptCheck::run(const std::string& path, bool quiet, std::ostream& out,
                                           std::ostream& err) const
{
    ScriptSummary summary;
    const ScriptFileResult result =
        readScriptFile(path, codec, nullptr, [&summary](const ScriptLine& line) { summary.add(line); });
    if (result.verdict != ScriptFileResult::Verdict::Accepted) {
        reportUnplayable(codec, path, result, err);
        return result.verdict;
    }
    if (quiet)
        return result.verdict;
    summary.finish();
    summary.print(path, out);
    summary.printWarnings(path, err);
    return result.verdict;
}

void reportUnplayable(const ScriptCodec& codec, const std::string& path, const ScriptFileResult& result,
                      std::ostream& err)
{
    if (result.verdict == ScriptFileResult::Verdict::Unreadable) {
        err << path << ": " << result.problem << "\n";
        return;
    }
    err << path << ":" << result.refusedLine << ": " << codec.describeFault(result.refusal, result.refusedText)
        << "\n    " << quotedScriptText(result.refusedText) << "\n";
}

std::string formatDuration(std::uint64_t milliseconds)
{
    char text[64];
    const std::uint64_t seconds = milliseconds / 1000;
    const auto ms = static_cast<unsigned>(milliseconds % 1000);
    const auto s = static_cast<unsigned>(seconds % 60);
    const auto min = static_cast<unsigned>(seconds / 60 % 60);
    const auto h = static_cast<unsigned>(seconds / 3600 % 24);
    const std::uint64_t d = seconds / 86400;
    if (d > 0)
        std::snprintf(text, sizeof text, "%llu d %02u h %02u min", static_cast<unsigned long long>(d), h, min);
    else if (h > 0)
        std::snprintf(text, sizeof text, "%u h %02u min %02u s", h, min, s);
    else if (min > 0)
        std::snprintf(text, sizeof text, "%u min %02u.%03u s", min, s, ms);
    else
        std::snprintf(text, sizeof text, "%u.%03u s", s, ms);
    return text;
}
