#include "platform/x11/x11_platform.h"

#include "platform/system_platform.h"
#include "platform/x11/debug_output.h"
#include "platform/x11/precise_timing.h"

X11Platform::X11Platform() : injector(spareKeys), capture(keys, spareKeys) {}

X11Platform::~X11Platform()
{
    stopHookThread();
}

bool X11Platform::cursorPos(ScreenPoint& point)
{
    // Inside a listener call the event's own position counts: the pointer may have moved on since.
    return dispatchedEventPosition(point) || injector.pointerPosition(point);
}

std::uint16_t X11Platform::keyState(int virtualKey)
{
    return keys.state(virtualKey);
}

bool X11Platform::setCursorPos(int x, int y)
{
    return injector.movePointer(x, y);
}

bool X11Platform::injectMouse(std::uint32_t flags, std::int32_t mouseData)
{
    return injector.injectMouse(flags, mouseData);
}

bool X11Platform::injectKey(std::uint32_t virtualKey, std::uint32_t flags)
{
    return injector.pressKey(virtualKey, flags);
}

bool X11Platform::screenPixel(int x, int y, std::uint32_t& rgb)
{
    return pixels.read(x, y, rgb);
}

void X11Platform::sleepUntil(Clock::time_point deadline)
{
    sleepUntilSteady(deadline);
}

void X11Platform::beginPreciseTiming()
{
    // A playback begins: its guardian is started now rather than on the first press.
    injector.startGuardian();
    beginPreciseThreadTiming();
}

void X11Platform::endPreciseTiming()
{
    endPreciseThreadTiming();
}

void X11Platform::debugOutput(const char* text)
{
    writeDebugOutput(text);
}

bool X11Platform::canWatchKey(int virtualKey)
{
    return injector.hasKeyFor(virtualKey);
}

bool X11Platform::startHookThread(CaptureFailure& failure)
{
    return capture.start(failure);
}

void X11Platform::stopHookThread()
{
    capture.stop();
}

std::unique_ptr<PlatformInput> createSystemPlatform()
{
    return std::make_unique<X11Platform>();
}
