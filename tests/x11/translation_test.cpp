#include <gtest/gtest.h>

#include <X11/keysym.h>

#include "platform/x11/keymap.h"
#include "platform/x11/virtual_keys.h"

namespace {

TEST(VirtualKeys, MatchThePublishedWindowsCodes)
{
    const struct {
        KeySym keysym;
        int virtualKey;
    } published[] = {
        {XK_a, 0x41}, {XK_Z, 0x5A}, {XK_0, 0x30}, {XK_9, 0x39}, {XK_F1, 0x70}, {XK_F7, 0x76},
        {XK_F24, 0x87}, {XK_BackSpace, 0x08}, {XK_Tab, 0x09}, {XK_Return, 0x0D}, {XK_Escape, 0x1B},
        {XK_space, 0x20}, {XK_Prior, 0x21}, {XK_Home, 0x24}, {XK_Left, 0x25}, {XK_Down, 0x28},
        {XK_Insert, 0x2D}, {XK_Delete, 0x2E}, {XK_Super_L, 0x5B}, {XK_Super_R, 0x5C},
        {XK_KP_0, 0x60}, {XK_KP_9, 0x69}, {XK_KP_Multiply, 0x6A}, {XK_KP_Divide, 0x6F},
        {XK_KP_End, 0x23}, {XK_KP_Enter, 0x0D}, {XK_Shift_L, 0xA0}, {XK_Shift_R, 0xA1},
        {XK_Control_L, 0xA2}, {XK_Control_R, 0xA3}, {XK_Alt_L, 0xA4}, {XK_Alt_R, 0xA5},
        {XK_semicolon, 0xBA}, {XK_equal, 0xBB}, {XK_comma, 0xBC}, {XK_minus, 0xBD},
        {XK_period, 0xBE}, {XK_slash, 0xBF}, {XK_grave, 0xC0}, {XK_bracketleft, 0xDB},
        {XK_backslash, 0xDC}, {XK_bracketright, 0xDD}, {XK_apostrophe, 0xDE}, {XK_less, 0xE2},
        {XK_Num_Lock, 0x90}, {XK_Scroll_Lock, 0x91}, {XK_Caps_Lock, 0x14}, {XK_Pause, 0x13},
    };
    for (const auto& pair : published) {
        SCOPED_TRACE(pair.virtualKey);
        EXPECT_EQ(virtualKeyFromKeysym(pair.keysym), pair.virtualKey);
        EXPECT_NE(keysymFromVirtualKey(pair.virtualKey), static_cast<KeySym>(NoSymbol));
    }
    EXPECT_EQ(virtualKeyFromKeysym(XK_EuroSign), 0);
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
