#include "platform/x11/virtual_keys.h"

#include <X11/keysym.h>


namespace {

struct KeyPair {
    KeySym keysym;
    int virtualKey;
};

// Published Windows virtual-key codes. Where several rows share a keysym or a virtual key, the
// first row wins that direction: the keysym of a virtual key is the one a US layout types
// unshifted, and a keysym that several keys can produce names the key Windows reports for it.
constexpr KeyPair kNamedKeys[] = {
    {XK_BackSpace, 0x08},
    {XK_Tab, 0x09},
    {XK_ISO_Left_Tab, 0x09},
    {XK_Clear, 0x0C},
    {XK_Return, 0x0D},
    {XK_KP_Enter, 0x0D},
    {XK_Pause, 0x13},
    {XK_Caps_Lock, 0x14},
    {XK_Escape, 0x1B},
    {XK_space, 0x20},
    {XK_Prior, 0x21},
    {XK_Next, 0x22},
    {XK_End, 0x23},
    {XK_Home, 0x24},
    {XK_Left, 0x25},
    {XK_Up, 0x26},
    {XK_Right, 0x27},
    {XK_Down, 0x28},
    {XK_Select, 0x29},
    {XK_Print, 0x2C},
    {XK_Execute, 0x2B},
    {XK_Insert, 0x2D},
    {XK_Delete, 0x2E},
    {XK_Help, 0x2F},
    {XK_Super_L, 0x5B},
    {XK_Super_R, 0x5C},
    {XK_Menu, 0x5D},
    {XK_KP_0, 0x60},
    {XK_KP_1, 0x61},
    {XK_KP_2, 0x62},
    {XK_KP_3, 0x63},
    {XK_KP_4, 0x64},
    {XK_KP_5, 0x65},
    {XK_KP_6, 0x66},
    {XK_KP_7, 0x67},
    {XK_KP_8, 0x68},
    {XK_KP_9, 0x69},
    {XK_KP_Multiply, 0x6A},
    {XK_KP_Add, 0x6B},
    {XK_KP_Separator, 0x6C},
    {XK_KP_Subtract, 0x6D},
    {XK_KP_Decimal, 0x6E},
    {XK_KP_Divide, 0x6F},
    // The keypad with Num Lock off reports the navigation keys, as Windows does.
    {XK_KP_Insert, 0x2D},
    {XK_KP_End, 0x23},
    {XK_KP_Down, 0x28},
    {XK_KP_Next, 0x22},
    {XK_KP_Left, 0x25},
    {XK_KP_Begin, 0x0C},
    {XK_KP_Right, 0x27},
    {XK_KP_Home, 0x24},
    {XK_KP_Up, 0x26},
    {XK_KP_Prior, 0x21},
    {XK_KP_Delete, 0x2E},
    {XK_Num_Lock, 0x90},
    {XK_Scroll_Lock, 0x91},
    {XK_Shift_L, 0xA0},
    {XK_Shift_R, 0xA1},
    {XK_Control_L, 0xA2},
    {XK_Control_R, 0xA3},
    {XK_Alt_L, 0xA4},
    {XK_Alt_R, 0xA5},
    {XK_Meta_L, 0xA4},
    {XK_Meta_R, 0xA5},
    {XK_ISO_Level3_Shift, 0xA5},
    {XK_Shift_L, 0x10},
    {XK_Control_L, 0x11},
    {XK_Alt_L, 0x12},
    {XK_semicolon, 0xBA},
    {XK_colon, 0xBA},
    {XK_equal, 0xBB},
    {XK_plus, 0xBB},
    {XK_comma, 0xBC},
    {XK_less, 0xE2},
    {XK_minus, 0xBD},
    {XK_underscore, 0xBD},
    {XK_period, 0xBE},
    {XK_greater, 0xBE},
    {XK_slash, 0xBF},
    {XK_question, 0xBF},
    {XK_grave, 0xC0},
    {XK_asciitilde, 0xC0},
    {XK_bracketleft, 0xDB},
    {XK_braceleft, 0xDB},
    {XK_backslash, 0xDC},
    {XK_bar, 0xDC},
    {XK_bracketright, 0xDD},
    {XK_braceright, 0xDD},
    {XK_apostrophe, 0xDE},
    {XK_quotedbl, 0xDE},
};

constexpr int kVirtualKey0 = 0x30;
constexpr int kVirtualKeyA = 0x41;
constexpr int kVirtualKeyF1 = 0x70;
constexpr int kFunctionKeyCount = 24;
constexpr int kLetterCount = 26;
constexpr int kDigitCount = 10;

bool inRange(unsigned long value, unsigned long first, int count)
{
    return value >= first && value < first + static_cast<unsigned long>(count);
}

}  // namespace

int virtualKeyFromKeysym(KeySym keysym)
{
    if (inRange(keysym, XK_a, kLetterCount))
        return kVirtualKeyA + static_cast<int>(keysym - XK_a);
    if (inRange(keysym, XK_A, kLetterCount))
        return kVirtualKeyA + static_cast<int>(keysym - XK_A);
    if (inRange(keysym, XK_0, kDigitCount))
        return kVirtualKey0 + static_cast<int>(keysym - XK_0);
    if (inRange(keysym, XK_F1, kFunctionKeyCount))
        return kVirtualKeyF1 + static_cast<int>(keysym - XK_F1);
    for (const KeyPair& pair : kNamedKeys) {
        if (pair.keysym == keysym)
            return pair.virtualKey;
    }
    return 0;
}

KeySym keysymFromVirtualKey(int virtualKey)
{
    const auto key = static_cast<unsigned long>(virtualKey);
    if (inRange(key, kVirtualKeyA, kLetterCount))
        return XK_a + (key - kVirtualKeyA);
    if (inRange(key, kVirtualKey0, kDigitCount))
        return XK_0 + (key - kVirtualKey0);
    if (inRange(key, kVirtualKeyF1, kFunctionKeyCount))
        return XK_F1 + (key - kVirtualKeyF1);
    for (const KeyPair& pair : kNamedKeys) {
        if (pair.virtualKey == virtualKey)
            return pair.keysym;
    }
    return NoSymbol;
}
