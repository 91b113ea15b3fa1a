#include "platform/win32/win32_platform.h"

#include <windows.h>

#include "platform/system_platform.h"
#include "platform/win32/hook_procedures.h"
#include "platform/win32/input_records.h"
#include "platform/win32/session_watch.h"
#include "system/win32/wide_text.h"

Win32Platform::Win32Platform(PlaybackWait::Way wait) : playbackWait(wait)
{
    // Wine confines the pointer to the desktop window, which it creates only when first asked for;
    // until then, in a process without windows, every pointer move would land at (0, 0).
    GetDesktopWindow();
}

bool Win32Platform::cursorPos(ScreenPoint& point)
{
    POINT position;
    if (!GetCursorPos(&position))
        return false;
    point = ScreenPoint{position.x, position.y};
    return true;
}

std::uint16_t Win32Platform::keyState(int virtualKey)
{
    return hookKeyStates().state(virtualKey);
}

bool Win32Platform::setCursorPos(int x, int y)
{
    return SetCursorPos(x, y) != 0;
}

bool Win32Platform::injectMouse(std::uint32_t flags, std::int32_t mouseData)
{
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = flags;
    input.mi.mouseData = static_cast<DWORD>(mouseData);
    for (const MouseButton& button : kMouseButtons) {
        if (button.pressedBy(input.mi))
            guardian.tell(HeldInputLedger::Op::ButtonDown, button.virtualKey);
    }
    const bool sent = SendInput(1, &input, sizeof(INPUT)) == 1;
    for (const MouseButton& button : kMouseButtons) {
        if (button.releasedBy(input.mi))
            guardian.tell(HeldInputLedger::Op::ButtonUp, button.virtualKey);
    }
    return sent;
}

bool Win32Platform::injectKey(std::uint32_t virtualKey, std::uint32_t flags)
{
    INPUT input = keyboardInput(virtualKey, flags);
    // Virtual-key codes end at 0xFE, so the low byte names the key.
    const auto key = static_cast<std::uint8_t>(input.ki.wVk);
    const bool release = (flags & KEYEVENTF_KEYUP) != 0;
    if (!release)
        guardian.tell(HeldInputLedger::Op::KeyDown, key);
    const bool sent = SendInput(1, &input, sizeof(INPUT)) == 1;
    if (release)
        guardian.tell(HeldInputLedger::Op::KeyUp, key);
    return sent;
}

bool Win32Platform::screenPixel(int x, int y, std::uint32_t& rgb)
{
    return pixels.read(x, y, rgb);
}

void Win32Platform::sleepUntil(Clock::time_point deadline)
{
    playbackWait.until(deadline);
}

void Win32Platform::beginPreciseTiming()
{
    // A playback begins: its guardian is started now rather than on the first press.
    guardian.start();
    targetIntegrity.forget();
    playbackWait.begin();
}

void Win32Platform::endPreciseTiming()
{
    playbackWait.end();
}

void Win32Platform::debugOutput(const char* text)
{
    debugOutputUtf8(text);
}

bool Win32Platform::startHookThread(CaptureFailure& failure)
{
    return hookThread.start(failure);
}

void Win32Platform::stopHookThread()
{
    hookThread.stop();
}

InputBarrier Win32Platform::buttonTargetBarrier(int x, int y)
{
    return targetIntegrity.isAbove(WindowFromPoint(POINT{x, y})) ? InputBarrier::ElevatedTarget : InputBarrier::Clear;
}

InputBarrier Win32Platform::keyTargetBarrier()
{
    return targetIntegrity.isAbove(GetForegroundWindow()) ? InputBarrier::ElevatedTarget : InputBarrier::Clear;
}

InputBarrier Win32Platform::desktopBarrier()
{
    return sessionWatch().barrier();
}

std::unique_ptr<PlatformInput> createSystemPlatform()
{
    return std::make_unique<Win32Platform>();
}
