#pragma once

#include <chrono>
#include <cstdint>
#include <string>

struct ScreenPoint {
    int x = 0;
    int y = 0;
};

// Windows values used at the platform boundary. Every backend takes and reports these unchanged
// and translates to its own input system internally.
namespace win {
constexpr int VK_SHIFT = 0x10;
constexpr int VK_CONTROL = 0x11;
constexpr int VK_MENU = 0x12;
constexpr int VK_F7 = 0x76;
constexpr int VK_F8 = 0x77;

constexpr std::uint16_t KEY_STATE_DOWN = 0x8000;  // high bit of a key-state answer

constexpr std::uint32_t MOUSEEVENTF_LEFTDOWN = 0x02;
constexpr std::uint32_t MOUSEEVENTF_LEFTUP = 0x04;
constexpr std::uint32_t MOUSEEVENTF_RIGHTDOWN = 0x08;
constexpr std::uint32_t MOUSEEVENTF_RIGHTUP = 0x10;
constexpr std::uint32_t MOUSEEVENTF_MIDDLEDOWN = 0x20;
constexpr std::uint32_t MOUSEEVENTF_MIDDLEUP = 0x40;
constexpr std::uint32_t KEYEVENTF_KEYUP = 0x02;

constexpr int WM_KEYDOWN = 0x100;
constexpr int WM_KEYUP = 0x101;
constexpr int WM_SYSKEYDOWN = 0x104;
constexpr int WM_SYSKEYUP = 0x105;
constexpr int WM_MOUSEMOVE = 0x200;
constexpr int WM_LBUTTONDOWN = 0x201;
constexpr int WM_LBUTTONUP = 0x202;
constexpr int WM_RBUTTONDOWN = 0x204;
constexpr int WM_RBUTTONUP = 0x205;
constexpr int WM_MBUTTONDOWN = 0x207;
constexpr int WM_MBUTTONUP = 0x208;
constexpr int WM_MOUSEWHEEL = 0x20A;
constexpr int WM_XBUTTONDOWN = 0x20B;
constexpr int WM_XBUTTONUP = 0x20C;
constexpr int WM_MOUSEHWHEEL = 0x20E;
}  // namespace win

// The input, timing and diagnostic services that capture, playback and the hot keys need.
// One implementation per platform (X11, Win32) plus a fake for unit tests.
class PlatformInput {
public:
    using Clock = std::chrono::steady_clock;

    virtual ~PlatformInput() = default;

    // GetCursorPos: the pointer's screen position; false when it cannot be had.
    virtual bool cursorPos(ScreenPoint& point) = 0;
    // GetKeyState: a 16-bit state whose high bit (win::KEY_STATE_DOWN) is set while the key is down.
    virtual std::uint16_t keyState(int virtualKey) = 0;
    // SetCursorPos: moves the pointer; false when it could not be moved.
    virtual bool setCursorPos(int x, int y) = 0;
    // SendInput with one mouse input whose flags are the Windows mouse-input flags.
    virtual void injectMouseButton(std::uint32_t flags) = 0;
    // SendInput with one keyboard input: virtual key (low 16 bits used), flags 0 press / KEYEVENTF_KEYUP.
    virtual void injectKey(std::uint32_t virtualKey, std::uint32_t flags) = 0;

    // Monotonic time and an absolute-deadline sleep (the platform's Sleep).
    virtual Clock::time_point now() = 0;
    virtual void sleepUntil(Clock::time_point deadline) = 0;
    // Asks for the finest timer the platform offers while a playback runs; calls nest.
    virtual void beginPreciseTiming() {}
    virtual void endPreciseTiming() {}

    // OutputDebugStringA.
    virtual void debugOutput(const char* text) = 0;

    // Starts the capture thread that reports every input action of the desktop to the registered
    // listener. On failure returns false and puts a reason a user can act on into `reason`.
    virtual bool startHookThread(std::string& reason) = 0;
    // Stops and joins the capture thread; nothing reaches the listener once this returns.
    virtual void stopHookThread() = 0;
};
