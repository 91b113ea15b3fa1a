#pragma once

#include "platform/platform_input.h"
#include "platform/key_state_table.h"
#include "platform/x11/keymap.h"
#include "platform/x11/record_capture.h"
#include "platform/x11/screen_pixels.h"
#include "platform/x11/xtest_injector.h"

// The platform services on an X11 display: capture through RECORD, injection and pointer queries
// through XTEST, key state from what the capture has seen.
class X11Platform final : public PlatformInput {
public:
    X11Platform();
    ~X11Platform() override;

    bool cursorPos(ScreenPoint& point) override;
    std::uint16_t keyState(int virtualKey) override;
    bool setCursorPos(int x, int y) override;
    bool injectMouse(std::uint32_t flags, std::int32_t mouseData) override;
    bool injectKey(std::uint32_t virtualKey, std::uint32_t flags) override;
    bool screenPixel(int x, int y, std::uint32_t& rgb) override;
    void sleepUntil(Clock::time_point deadline) override;
    void beginPreciseTiming() override;
    void endPreciseTiming() override;
    void debugOutput(const char* text) override;
    bool canWatchKey(int virtualKey) override;
    bool startHookThread(CaptureFailure& failure) override;
    void stopHookThread() override;

private:
    KeyStateTable keys;
    SpareKeyBindings spareKeys;
    XTestInjector injector;
    RecordCapture capture;
    ScreenPixels pixels;
};
