#include "platform/fake/fake_platform.h"

#include <cstdio>

namespace {

std::string hex(std::uint32_t value)
{
    char text[16];
    std::snprintf(text, sizeof text, "0x%x", static_cast<unsigned>(value));
    return text;
}

}  // namespace

std::vector<std::string> FakePlatform::callTexts() const
{
    std::vector<std::string> texts;
    for (const Call& call : calls)
        texts.push_back(call.what);
    return texts;
}

long long FakePlatform::elapsedMs() const
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(virtualNow - start).count();
}

void FakePlatform::record(std::string what)
{
    calls.push_back({elapsedMs(), std::move(what)});
}

void FakePlatform::recordInjection(std::string what)
{
    record(std::move(what));
    virtualNow += injectionCost;
}

bool FakePlatform::cursorPos(ScreenPoint& point)
{
    ++pointerQueries;
    if (!pointer)
        return false;
    point = *pointer;
    return true;
}

std::uint16_t FakePlatform::keyState(int virtualKey)
{
    return keysDown.count(virtualKey) ? win::KeyStateDown : 0;
}

bool FakePlatform::setCursorPos(int x, int y)
{
    recordInjection("move " + std::to_string(x) + " " + std::to_string(y));
    if (pointerMovesFail)
        return false;
    pointer = ScreenPoint{x, y};
    return true;
}

bool FakePlatform::injectMouse(std::uint32_t flags, std::int32_t mouseData)
{
    recordInjection("mouse " + hex(flags) + (mouseData == 0 ? "" : " " + std::to_string(mouseData)));
    return !injectionsFail;
}

bool FakePlatform::injectKey(std::uint32_t virtualKey, std::uint32_t flags)
{
    recordInjection("key " + std::to_string(virtualKey) + " " + hex(flags));
    return !injectionsFail;
}

InputBarrier FakePlatform::buttonTargetBarrier(int, int)
{
    ++targetQueries;
    return targetBarrier;
}

InputBarrier FakePlatform::keyTargetBarrier()
{
    ++targetQueries;
    return targetBarrier;
}

bool FakePlatform::screenPixel(int x, int y, std::uint32_t& rgb)
{
    ++pixelReads;
    if (x < 0 || y < 0)
        return false;
    const auto painted = screen.find({x, y});
    rgb = painted == screen.end() ? 0 : painted->second;
    return true;
}

void FakePlatform::sleepUntil(Clock::time_point deadline)
{
    if (deadline > virtualNow)
        virtualNow = deadline;
    if (afterSleep)
        afterSleep(elapsedMs());
}

void FakePlatform::debugOutput(const char* text)
{
    record(std::string("debug ") + text);
}

bool FakePlatform::startHookThread(CaptureFailure& failure)
{
    if (hookStartFailure) {
        failure = *hookStartFailure;
        return false;
    }
    hookThreadRunning = true;
    return true;
}

void FakePlatform::stopHookThread()
{
    hookThreadRunning = false;
}
