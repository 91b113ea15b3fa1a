#pragma once

#include <windows.h>

#include <cstdint>

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

// A press (flags 0) or release (KEYEVENTF_KEYUP) of a virtual key (low 16 bits used), with its scan code.
inline INPUT keyboardInput(std::uint32_t virtualKey, std::uint32_t flags)
{
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = static_cast<WORD>(virtualKey & 0xFFFF);
    input.ki.wScan = static_cast<WORD>(MapVirtualKeyW(virtualKey, MAPVK_VK_TO_VSC));
    input.ki.dwFlags = flags;
    return input;
}
