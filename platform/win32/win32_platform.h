#pragma once

#include "platform/platform_input.h"
#include "guardian/win32/pipe_guardian_link.h"
#include "platform/win32/hook_thread.h"
#include "platform/win32/playback_wait.h"
#include "platform/win32/screen_pixels.h"
#include "platform/win32/target_integrity.h"

// The input services on Windows, each the User32 or kernel call of the same name, but for key
// states, which come from what the keyboard hook has seen; the capture thread is a HookThread.
class Win32Platform : public PlatformInput {
public:
    // A benchmark may ask for the fallback way of waiting, to compare the two.
    explicit Win32Platform(PlaybackWait::Way wait = PlaybackWait::Way::HighResolutionTimer);

    PlaybackWait::Way waitingWay() const { return playbackWait.way(); }

    bool cursorPos(ScreenPoint& point) override;
    std::uint16_t keyState(int virtualKey) override;
    bool setCursorPos(int x, int y) override;
    bool injectMouse(std::uint32_t flags, std::int32_t mouseData) override;
    // The pointer is not moved here: the player puts it in place with setCursorPos first, which
    // unlike an absolute SendInput move needs no scaling and sticks while a mouse hook is installed.
    bool injectKey(std::uint32_t virtualKey, std::uint32_t flags) override;
    // The window under (x, y), or the foreground window, as its process's integrity level allows.
    InputBarrier buttonTargetBarrier(int x, int y) override;
    InputBarrier keyTargetBarrier() override;
    // As the main window's session and power notifications say.
    InputBarrier desktopBarrier() override;
    bool screenPixel(int x, int y, std::uint32_t& rgb) override;

    void sleepUntil(Clock::time_point deadline) override;
    void beginPreciseTiming() override;
    void endPreciseTiming() override;

    void debugOutput(const char* text) override;

    bool startHookThread(CaptureFailure& failure) override;
    void stopHookThread() override;

private:
    HookThread hookThread;
    PlaybackWait playbackWait;
    ScreenPixels pixels;
    TargetIntegrity targetIntegrity;
    // Hears of every press and release, and releases what is left if this process is killed.
    PipeGuardianLink guardian;
};
