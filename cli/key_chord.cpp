#include "cli/key_chord.h"

#include <algorithm>
#include <cctype>

#include "platform/modifier_keys.h"

namespace {

constexpr int kVkF1 = 0x70;
constexpr int kFunctionKeys = 24;
constexpr int kVkA = 0x41;

struct NamedKey {
    const char* name;
    int virtualKey;
};

// Keys that may stop a playback or a recording on their own: rarely typed in other programs.
constexpr NamedKey kLoneKeys[] = {
    {"Pause", 0x13}, {"ScrollLock", 0x91}, {"Escape", 0x1B}, {"Insert", 0x2D},
};

// Names for the keys a script most often holds, for messages.
constexpr NamedKey kCommonKeys[] = {
    {"Backspace", 0x08}, {"Tab", 0x09},   {"Enter", 0x0D},  {"Shift", 0x10},      {"Ctrl", 0x11},
    {"Alt", 0x12},       {"Space", 0x20}, {"Left", 0x25},   {"Up", 0x26},         {"Right", 0x27},
    {"Down", 0x28},      {"Delete", 0x2E}, {"Left Shift", kShiftKeys.left},
    {"Right Shift", kShiftKeys.right}, {"Left Ctrl", kControlKeys.left}, {"Right Ctrl", kControlKeys.right},
    {"Left Alt", kAltKeys.left},  {"Right Alt", kAltKeys.right},
};

std::string lower(std::string_view text)
{
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(), [](unsigned char c) { return std::tolower(c); });
    return out;
}

// The virtual key of a key name (without modifiers); 0 when unknown. Letters give their code.
int keyOfName(std::string_view text)
{
    const std::string name = lower(text);
    if (name.size() == 1 && name[0] >= 'a' && name[0] <= 'z')
        return kVkA + (name[0] - 'a');
    if (name.size() >= 2 && name.size() <= 3 && name[0] == 'f'
        && std::all_of(name.begin() + 1, name.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        const int number = std::stoi(name.substr(1));
        if (number >= 1 && number <= kFunctionKeys && name[1] != '0')
            return kVkF1 + number - 1;
        return 0;
    }
    for (const NamedKey& key : kLoneKeys) {
        if (lower(key.name) == name)
            return key.virtualKey;
    }
    return 0;
}

bool isLetter(int virtualKey)
{
    return virtualKey >= kVkA && virtualKey < kVkA + 26;
}

}  // namespace

std::string KeyChord::name() const
{
    std::string text;
    if (control)
        text += "ctrl+";
    if (alt)
        text += "alt+";
    if (shift)
        text += "shift+";
    return text + virtualKeyName(virtualKey);
}

bool KeyChord::isModifier(int key) const
{
    const int modifier = modifierOf(key);
    return (control && modifier == win::VkControl) || (alt && modifier == win::VkMenu)
           || (shift && modifier == win::VkShift);
}

std::optional<KeyChord> parseKeyChord(std::string_view text, std::string& problem)
{
    KeyChord chord;
    std::string_view rest = text;
    for (std::size_t plus; (plus = rest.find('+')) != std::string_view::npos; rest.remove_prefix(plus + 1)) {
        const std::string modifier = lower(rest.substr(0, plus));
        bool* flag = modifier == "ctrl" || modifier == "control" ? &chord.control
                     : modifier == "alt"                          ? &chord.alt
                     : modifier == "shift"                        ? &chord.shift
                                                                  : nullptr;
        if (!flag) {
            problem = "unknown modifier \"" + std::string(rest.substr(0, plus)) + "\" in \"" + std::string(text)
                      + "\" (use ctrl, alt or shift)";
            return std::nullopt;
        }
        *flag = true;
    }
    chord.virtualKey = keyOfName(rest);
    if (chord.virtualKey == 0) {
        problem = "unknown key \"" + std::string(rest)
                  + "\" (use F1 to F24, Pause, ScrollLock, Escape, Insert, or a letter with modifiers)";
        return std::nullopt;
    }
    if (isLetter(chord.virtualKey) && !chord.control && !chord.alt) {
        problem = "a letter stops only with ctrl or alt held (e.g. ctrl+alt+" + std::string(rest)
                  + "), or it would stop whenever it is typed";
        return std::nullopt;
    }
    return chord;
}

bool isKeyboardKey(long long virtualKey)
{
    if (virtualKey < 0 || virtualKey > 0xFE)
        return false;
    const int vk = static_cast<int>(virtualKey);
    // Not keys: 0x00, the mouse buttons (0x01, 0x02, 0x04-0x06), and the codes Windows leaves
    // reserved, unassigned or to input methods that are no key (0xE5 process key, 0xE7 packet).
    const auto in = [vk](int first, int last) { return vk >= first && vk <= last; };
    if (vk == 0x00 || in(0x01, 0x02) || in(0x04, 0x07) || in(0x0A, 0x0B) || in(0x0E, 0x0F) || in(0x3A, 0x40)
        || vk == 0x5E || in(0x88, 0x8F) || in(0x97, 0x9F) || in(0xB8, 0xB9) || in(0xC1, 0xDA) || vk == 0xE0
        || vk == 0xE5 || vk == 0xE7 || vk == 0xE8)
        return false;
    return true;
}

std::string virtualKeyName(int virtualKey)
{
    if (isLetter(virtualKey) || (virtualKey >= '0' && virtualKey <= '9'))
        return std::string(1, static_cast<char>(virtualKey));
    if (virtualKey >= kVkF1 && virtualKey < kVkF1 + kFunctionKeys)
        return "F" + std::to_string(virtualKey - kVkF1 + 1);
    for (const NamedKey& key : kLoneKeys) {
        if (key.virtualKey == virtualKey)
            return key.name;
    }
    for (const NamedKey& key : kCommonKeys) {
        if (key.virtualKey == virtualKey)
            return key.name;
    }
    return {};
}
