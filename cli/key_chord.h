#pragma once

#include <optional>
#include <string>
#include <string_view>

// A key, by its Windows virtual-key code, and the modifiers that must be held with it.
struct KeyChord {
    int virtualKey = 0;
    bool control = false;
    bool alt = false;
    bool shift = false;

    // The chord as the user writes it, e.g. "ctrl+alt+S" or "F8".
    std::string name() const;
    // Whether `virtualKey` is one of the chord's modifiers (generic or left/right code).
    bool isModifier(int virtualKey) const;
};

// Reads a stop-key name: F1 to F24, Pause, ScrollLock, Escape, Insert, or a letter with at least one
// modifier, each optionally preceded by ctrl+, alt+ and shift+ (any case). Nothing, with `problem`
// set, for a name that is not one of these.
std::optional<KeyChord> parseKeyChord(std::string_view text, std::string& problem);

// Whether a virtual-key code stands for a key on some keyboard layout (mouse buttons, reserved and
// unassigned codes, and codes above 255 do not).
bool isKeyboardKey(long long virtualKey);

// The common name of a virtual key, e.g. "A", "F8", "Enter"; empty when it has none here.
std::string virtualKeyName(int virtualKey);
