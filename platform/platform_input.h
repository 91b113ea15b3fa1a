#pragma once

#include <chrono>
#include <cstdint>
#include <string>

struct ScreenPoint {
    int x = 0;
    int y = 0;
};

// Why the capture thread could not start, for each face to word in its own language.
struct CaptureFailure {
    enum class Cause : std::uint8_t {
        NoDisplay,             // DISPLAY is not set
        DisplayUnreachable,    // detail: the display's name
        NoRecordExtension,     // detail: the display's name
        NoTestExtension,       // detail: the display's name
        NoFurtherConnections,  // detail: the display's name
        RecordingRefused,      // detail: the display's name
        OutOfMemory,
        MouseNotWatched,     // detail: the system's own words for why
        KeyboardNotWatched,  // detail: the system's own words for why
    };
    Cause cause = Cause::OutOfMemory;
    std::string detail;
};

// Windows values used at the platform boundary. Every backend takes and reports these unchanged
// and translates to its own input system internally. Named unlike the <windows.h> macros, so both
// can be included in any order.
namespace win {
constexpr int VkShift = 0x10;
constexpr int VkControl = 0x11;
constexpr int VkMenu = 0x12;
constexpr int VkF7 = 0x76;
constexpr int VkF8 = 0x77;

constexpr std::uint16_t KeyStateDown = 0x8000;  // high bit of a key-state answer

constexpr std::uint32_t MouseLeftDown = 0x02;
constexpr std::uint32_t MouseLeftUp = 0x04;
constexpr std::uint32_t MouseRightDown = 0x08;
constexpr std::uint32_t MouseRightUp = 0x10;
constexpr std::uint32_t MouseMiddleDown = 0x20;
constexpr std::uint32_t MouseMiddleUp = 0x40;
constexpr std::uint32_t MouseXDown = 0x80;
constexpr std::uint32_t MouseXUp = 0x100;
constexpr std::uint32_t MouseWheel = 0x800;
constexpr std::uint32_t MouseHWheel = 0x1000;
constexpr int WheelDelta = 120;  // one notch
constexpr int XButton1 = 1;      // back
constexpr int XButton2 = 2;      // forward
constexpr std::uint32_t KeyEventKeyUp = 0x02;

constexpr int WmKeyDown = 0x100;
constexpr int WmKeyUp = 0x101;
constexpr int WmSysKeyDown = 0x104;
constexpr int WmSysKeyUp = 0x105;
constexpr int WmMouseMove = 0x200;
constexpr int WmLButtonDown = 0x201;
constexpr int WmLButtonUp = 0x202;
constexpr int WmRButtonDown = 0x204;
constexpr int WmRButtonUp = 0x205;
constexpr int WmMButtonDown = 0x207;
constexpr int WmMButtonUp = 0x208;
constexpr int WmMouseWheel = 0x20A;
constexpr int WmXButtonDown = 0x20B;
constexpr int WmXButtonUp = 0x20C;
constexpr int WmMouseHWheel = 0x20E;
}  // namespace win

// What keeps synthetic input from reaching its target, as the platform sees it.
enum class InputBarrier {
    Clear,           // nothing: the input gets through
    ElevatedTarget,  // the target window's process runs with more rights, and drops injected input
    LockedDesktop,   // the screen is locked, or the session is not the one shown
    Suspended,       // the computer is going to sleep
};

// The input, timing and diagnostic services that capture, playback and the hot keys need.
// One implementation per platform (X11, Win32) plus a fake for unit tests.
class PlatformInput {
public:
    using Clock = std::chrono::steady_clock;

    virtual ~PlatformInput() = default;

    // GetCursorPos: the pointer's screen position; false when it cannot be had.
    virtual bool cursorPos(ScreenPoint& point) = 0;
    // GetKeyState: a 16-bit state whose high bit (win::KeyStateDown) is set while the key is down.
    virtual std::uint16_t keyState(int virtualKey) = 0;
    // SetCursorPos: moves the pointer; false when it could not be moved.
    virtual bool setCursorPos(int x, int y) = 0;
    // SendInput with one mouse input: the Windows mouse-input flags, and the mouse data that the
    // wheel (the delta, 120 a notch) and the side buttons (XBUTTON1 or XBUTTON2) need. False when
    // the system refused the input.
    virtual bool injectMouse(std::uint32_t flags, std::int32_t mouseData) = 0;
    // The same for the three buttons, which take no mouse data.
    bool injectMouseButton(std::uint32_t flags) { return injectMouse(flags, 0); }
    // SendInput with one keyboard input: virtual key (low 16 bits used), flags 0 press / KEYEVENTF_KEYUP.
    virtual bool injectKey(std::uint32_t virtualKey, std::uint32_t flags) = 0;

    // Whether input for the window at (x, y), or for the window with the keyboard focus, would be
    // dropped. Asked before each button and key event of a playback, never for a pointer move.
    virtual InputBarrier buttonTargetBarrier(int x, int y)
    {
        (void)x;
        (void)y;
        return InputBarrier::Clear;
    }
    virtual InputBarrier keyTargetBarrier() { return InputBarrier::Clear; }
    // Whether the desktop takes input at all; asked before every event and during pauses, so cheap.
    virtual InputBarrier desktopBarrier() { return InputBarrier::Clear; }

    // The colour 0xRRGGBB of the screen's pixel at (x, y), in setCursorPos's coordinates (physical
    // pixels); false when it cannot be read, e.g. off every screen.
    virtual bool screenPixel(int x, int y, std::uint32_t& rgb) = 0;

    // Monotonic time and an absolute-deadline sleep (the platform's Sleep).
    virtual Clock::time_point now() { return Clock::now(); }
    virtual void sleepUntil(Clock::time_point deadline) = 0;
    // Asks for the finest timer the platform offers while a playback runs; calls nest.
    virtual void beginPreciseTiming() {}
    virtual void endPreciseTiming() {}

    // OutputDebugString: UTF-8 text for an attached debugger.
    virtual void debugOutput(const char* text) = 0;

    // Whether presses of this virtual key reach the capture thread, i.e. the keyboard has a key
    // for it (a key that cannot be pressed cannot be watched for).
    virtual bool canWatchKey(int virtualKey)
    {
        (void)virtualKey;
        return true;
    }

    // Starts the capture thread that reports every input action of the desktop to the registered
    // listener. On failure returns false and says why in `failure`.
    virtual bool startHookThread(CaptureFailure& failure) = 0;
    // Stops and joins the capture thread; nothing reaches the listener once this returns.
    virtual void stopHookThread() = 0;
};
