// A process that uses the X11 backend the way a player does, for tests that end it from outside.
// Usage: tamblo_x11_injecting_child hold     presses the left button, Shift and F13 (on a borrowed
//                                             keycode), says "holding" and waits to be killed
//        tamblo_x11_injecting_child capture  starts capture, says "capturing" and keeps asking
//                                             for and moving the pointer until the display goes
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <thread>

#include "platform/system_platform.h"

namespace {

constexpr int kVkLeftShift = 0xA0;
constexpr int kVkF13 = 0x7C;

void say(const char* word)
{
    std::printf("%s\n", word);
    std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv)
{
    const std::string mode = argc > 1 ? argv[1] : "";
    auto platform = createSystemPlatform();
    if (mode == "hold") {
        platform->beginPreciseTiming();
        platform->setCursorPos(120, 130);
        platform->injectMouseButton(win::MouseLeftDown);
        platform->injectMouse(win::MouseXDown, win::XButton2);
        platform->injectKey(kVkLeftShift, 0);
        platform->injectKey(kVkF13, 0);
        say("holding");
        for (;;)
            std::this_thread::sleep_for(std::chrono::hours(1));
    }
    if (mode == "capture") {
        CaptureFailure reason;
        if (!platform->startHookThread(reason)) {
            std::fprintf(stderr, "capture did not start: %s\n", reason.detail.c_str());
            return 2;
        }
        say("capturing");
        for (int step = 0;; ++step) {
            ScreenPoint point;
            platform->cursorPos(point);
            platform->setCursorPos(step % 200, 100);
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    }
    std::fprintf(stderr, "usage: %s hold|capture\n", argv[0]);
    return 2;
}
