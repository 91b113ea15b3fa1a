#pragma once

#include "platform/platform_input.h"

// The modifiers with their generic code and the codes of their left and right keys, which
// Windows numbers in pairs from 0xA0: Shift, Control, Alt.
struct ModifierKey {
    int generic;
    int left;
    int right;
};

inline constexpr ModifierKey kModifierKeys[] = {
    {win::VkShift, 0xA0, 0xA1},
    {win::VkControl, 0xA2, 0xA3},
    {win::VkMenu, 0xA4, 0xA5},
};

inline constexpr const ModifierKey& kShiftKeys = kModifierKeys[0];
inline constexpr const ModifierKey& kControlKeys = kModifierKeys[1];
inline constexpr const ModifierKey& kAltKeys = kModifierKeys[2];

// The generic code of the modifier a key belongs to (the generic code itself or either side);
// 0 for any other key.
constexpr int modifierOf(int virtualKey)
{
    for (const ModifierKey& modifier : kModifierKeys) {
        if (virtualKey == modifier.generic || virtualKey == modifier.left || virtualKey == modifier.right)
            return modifier.generic;
    }
    return 0;
}

// Whether a key is the left or right key of the given generic modifier.
constexpr bool isSideOf(int virtualKey, int generic)
{
    return virtualKey != generic && modifierOf(virtualKey) == generic;
}

// The sides of a generic modifier code; nullptr for any other key.
constexpr const ModifierKey* sidesOf(int generic)
{
    for (const ModifierKey& modifier : kModifierKeys) {
        if (modifier.generic == generic)
            return &modifier;
    }
    return nullptr;
}
