#pragma once

#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/platform_input.h"

// A platform for unit tests: records every call as a line of text with its virtual time, lets the
// test place the pointer, fail queries and hold keys, and never really sleeps. Time is virtual:
// it moves when something sleeps, when the test advances it, and by a simulated cost per
// injected input (pointer moves, buttons, keys), as real injection takes time too.
class FakePlatform : public PlatformInput {
public:
    struct Call {
        long long atMs;    // virtual time of the call, in milliseconds since construction
        std::string what;  // e.g. "move 300 200", "mouse 0x8", "mouse 0x800 -120", "key 65 0x2", "debug record start"
    };

    // Test controls.
    void setPointer(int x, int y) { pointer = ScreenPoint{x, y}; }
    void failPointerQuery() { pointer.reset(); }
    void failPointerMoves(bool fail) { pointerMovesFail = fail; }
    void failInjections(bool fail) { injectionsFail = fail; }
    // What button and key targets, and the desktop, answer from now on.
    void setTargetBarrier(InputBarrier barrier) { targetBarrier = barrier; }
    void setDesktopBarrier(InputBarrier barrier) { desktop = barrier; }
    void pressKey(int virtualKey) { keysDown.insert(virtualKey); }
    void releaseKey(int virtualKey) { keysDown.erase(virtualKey); }
    void failHookThreadStart(CaptureFailure failure) { hookStartFailure = std::move(failure); }
    void advance(std::chrono::microseconds by) { virtualNow += by; }
    void setInjectionCost(std::chrono::microseconds cost) { injectionCost = cost; }
    // The screen: black everywhere until painted; off the screen (negative) nothing can be read.
    void paint(int x, int y, std::uint32_t rgb) { screen[{x, y}] = rgb; }
    // Runs after every sleep, with the virtual time reached; lets a test act "during" a playback.
    std::function<void(long long atMs)> afterSleep;

    // What was asked.
    std::vector<Call> calls;
    std::vector<std::string> callTexts() const;
    long long elapsedMs() const;
    bool hookThreadRunning = false;
    int pointerQueries = 0;
    int pixelReads = 0;
    int targetQueries = 0;
    int preciseTimingDepth = 0;

    bool cursorPos(ScreenPoint& point) override;
    std::uint16_t keyState(int virtualKey) override;
    bool setCursorPos(int x, int y) override;
    bool injectMouse(std::uint32_t flags, std::int32_t mouseData) override;
    bool injectKey(std::uint32_t virtualKey, std::uint32_t flags) override;
    InputBarrier buttonTargetBarrier(int x, int y) override;
    InputBarrier keyTargetBarrier() override;
    InputBarrier desktopBarrier() override { return desktop; }
    bool screenPixel(int x, int y, std::uint32_t& rgb) override;
    Clock::time_point now() override { return virtualNow; }
    void sleepUntil(Clock::time_point deadline) override;
    void beginPreciseTiming() override { ++preciseTimingDepth; }
    void endPreciseTiming() override { --preciseTimingDepth; }
    void debugOutput(const char* text) override;
    bool startHookThread(CaptureFailure& failure) override;
    void stopHookThread() override;

private:
    void record(std::string what);
    void recordInjection(std::string what);

    std::optional<ScreenPoint> pointer = ScreenPoint{};
    bool pointerMovesFail = false;
    bool injectionsFail = false;
    InputBarrier targetBarrier = InputBarrier::Clear;
    InputBarrier desktop = InputBarrier::Clear;
    std::set<int> keysDown;
    std::map<std::pair<int, int>, std::uint32_t> screen;
    std::optional<CaptureFailure> hookStartFailure;
    const Clock::time_point start = Clock::time_point{} + std::chrono::hours(1);
    Clock::time_point virtualNow = start;
    std::chrono::microseconds injectionCost{0};
};
