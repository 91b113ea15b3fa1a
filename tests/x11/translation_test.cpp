#include <gtest/gtest.h>

#include <X11/keysym.h>

#include "platform/x11/keymap.h"
#include "platform/x11/virtual_keys.h"

namespace {

TEST(VirtualKeys, CoverTheKeysAScriptCanName)
{
    const struct {
        int first;
        int last;
    } ranges[] = {
        {0x30, 0x39},  // digits
        {0x41, 0x5A},  // letters
        {0x60, 0x6F},  // numeric keypad
        {0x70, 0x87},  // F1 to F24
        {0x21, 0x28},  // navigation and arrows
        {0xA0, 0xA5},  // left and right Shift, Control, Alt
        {0xBA, 0xC0},  // US punctuation
        {0xDB, 0xDE},
    };
    for (const auto& range : ranges) {
        for (int virtualKey = range.first; virtualKey <= range.last; ++virtualKey)
            EXPECT_NE(keysymFromVirtualKey(virtualKey), static_cast<KeySym>(NoSymbol))
                << std::hex << "virtual key 0x" << virtualKey;
    }
}

TEST(VirtualKeys, EveryTypableVirtualKeyIsCapturedAsItself)
{
    for (int virtualKey = 0; virtualKey < 256; ++virtualKey) {
        const KeySym keysym = keysymFromVirtualKey(virtualKey);
        if (keysym == NoSymbol)
            continue;
        // The generic Shift, Control and Alt type their left-hand keys, which are captured as such.
        const bool generic = virtualKey >= 0x10 && virtualKey <= 0x12;
        EXPECT_EQ(virtualKeyFromKeysym(keysym), generic ? 0xA0 + 2 * (virtualKey - 0x10) : virtualKey)
            << std::hex << "virtual key 0x" << virtualKey;
    }
}

TEST(Keymap, ChoosesKeypadDigitsOnlyWithNumLockAndTypesOnlyUnshiftedSymbols)
{
    const unsigned numLock = Mod2Mask;
    // Keycodes 8 to 11: the keypad 0 key, a letter, an empty keycode, and a key shared by two symbols.
    const Keymap keymap(8, 2, {XK_KP_Insert, XK_KP_0, XK_q, XK_Q, NoSymbol, NoSymbol, XK_comma, XK_less},
                        numLock);
    EXPECT_EQ(keymap.keysym(8, 0), static_cast<KeySym>(XK_KP_Insert));
    EXPECT_EQ(keymap.keysym(8, numLock), static_cast<KeySym>(XK_KP_0));
    EXPECT_EQ(keymap.keysym(9, numLock | ShiftMask), static_cast<KeySym>(XK_q));
    EXPECT_EQ(keymap.keysym(7, 0), static_cast<KeySym>(NoSymbol));
    EXPECT_EQ(keymap.keysym(12, 0), static_cast<KeySym>(NoSymbol));

    EXPECT_EQ(keymap.keycodeTyping(XK_q), 9);
    EXPECT_EQ(keymap.keycodeTyping(XK_comma), 11);
    EXPECT_EQ(keymap.keycodeTyping(XK_less), 0) << "would need Shift: a different symbol alone";
    EXPECT_EQ(keymap.keycodeTyping(XK_KP_0), 0);
    EXPECT_EQ(keymap.spareKeycode(), 10);
}

}  // namespace
