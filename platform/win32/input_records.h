#pragma once

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <iterator>

// A mouse button as Windows names it in key-state questions (its virtual-key code) and in mouse
// input (its press and release flags, and for a side button the mouse data that says which one).
struct MouseButton {
    BYTE virtualKey;
    DWORD downFlag;
    DWORD upFlag;
    DWORD data;

    bool pressedBy(const MOUSEINPUT& input) const { return (input.dwFlags & downFlag) && named(input); }
    bool releasedBy(const MOUSEINPUT& input) const { return (input.dwFlags & upFlag) && named(input); }

    INPUT release() const
    {
        INPUT input{};
        input.type = INPUT_MOUSE;
        input.mi.dwFlags = upFlag;
        input.mi.mouseData = data;
        return input;
    }

private:
    bool named(const MOUSEINPUT& input) const { return data == 0 || (input.mouseData & data) != 0; }
};

// Every button one mouse input can press or release.
constexpr MouseButton kMouseButtons[] = {
    {VK_LBUTTON, MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP, 0},
    {VK_RBUTTON, MOUSEEVENTF_RIGHTDOWN, MOUSEEVENTF_RIGHTUP, 0},
    {VK_MBUTTON, MOUSEEVENTF_MIDDLEDOWN, MOUSEEVENTF_MIDDLEUP, 0},
    {VK_XBUTTON1, MOUSEEVENTF_XDOWN, MOUSEEVENTF_XUP, XBUTTON1},
    {VK_XBUTTON2, MOUSEEVENTF_XDOWN, MOUSEEVENTF_XUP, XBUTTON2},
};

// Whether a key's scan code has the E0 prefix, given the layout's extended scan code for it
// (MAPVK_VK_TO_VSC_EX). Where the layout gives no prefix (Wine's gives it for few keys), the keys
// that Windows documents as extended count.
inline bool hasE0Prefix(std::uint32_t virtualKey, UINT extendedScanCode)
{
    constexpr std::uint32_t kExtendedKeys[] = {VK_RMENU, VK_RCONTROL, VK_INSERT, VK_DELETE, VK_HOME, VK_END,
                                               VK_PRIOR, VK_NEXT, VK_LEFT, VK_UP, VK_RIGHT, VK_DOWN, VK_NUMLOCK,
                                               VK_CANCEL, VK_SNAPSHOT, VK_DIVIDE, VK_LWIN, VK_RWIN, VK_APPS};
    return (extendedScanCode & 0xFF00) == 0xE000
        || std::find(std::begin(kExtendedKeys), std::end(kExtendedKeys), virtualKey) != std::end(kExtendedKeys);
}

// A press (flags 0) or release (KEYEVENTF_KEYUP) of a virtual key (low 16 bits used), with its scan
// code. Keys whose scan code has the E0 prefix (arrows, Insert, Delete, Home, End, Page Up and Down,
// right Ctrl and Alt, the keypad's /) are sent as extended keys, press and release alike: games
// read the scan code, and without the flag they would see the keypad's keys or the left ones.
inline INPUT keyboardInput(std::uint32_t virtualKey, std::uint32_t flags)
{
    const UINT scanCode = MapVirtualKeyW(virtualKey, MAPVK_VK_TO_VSC_EX);
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = static_cast<WORD>(virtualKey & 0xFFFF);
    input.ki.wScan = static_cast<WORD>(scanCode & 0xFF);
    input.ki.dwFlags = flags | (hasE0Prefix(virtualKey, scanCode) ? KEYEVENTF_EXTENDEDKEY : 0);
    return input;
}
