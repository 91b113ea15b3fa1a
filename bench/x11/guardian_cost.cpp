// What the guardian adds to each injected press or release: one non-blocking write of two bytes to
// the guardian process, timed on its own, next to a whole XTEST injection for scale.
// Usage: xvfb-run -a tamblo_x11_guardian_cost
#include <X11/Xlib.h>

#include <chrono>
#include <cstdio>
#include <vector>

#include "bench_stats.h"
#include "platform/system_platform.h"
#include "guardian/x11/socket_guardian_link.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kMessages = 20000;
constexpr int kInjections = 2000;

}  // namespace

int main()
{
    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        std::fprintf(stderr, "needs an X display (DISPLAY)\n");
        return 1;
    }
    const std::string displayName = DisplayString(display);
    XCloseDisplay(display);

    {
        SocketGuardianLink guardian(displayName);
        if (!guardian.start()) {
            std::fprintf(stderr, "the guardian cannot be started (%s)\n", guardianExecutable().c_str());
            return 1;
        }
        std::vector<std::chrono::nanoseconds> tells;
        tells.reserve(kMessages);
        for (int i = 0; i < kMessages; ++i) {
            const auto op = i % 2 == 0 ? HeldInputLedger::Op::ButtonDown : HeldInputLedger::Op::ButtonUp;
            const auto start = Clock::now();
            guardian.tell(op, 1);
            tells.push_back(Clock::now() - start);
        }
        printDurations("guardian: one press or release passed on", tells);
    }

    // Each injection of a press or release tells the guardian once; the rest is XTEST's round trip.
    auto platform = createSystemPlatform();
    platform->beginPreciseTiming();
    std::vector<std::chrono::nanoseconds> injections;
    injections.reserve(kInjections);
    for (int i = 0; i < kInjections; ++i) {
        const auto start = Clock::now();
        platform->injectMouseButton(i % 2 == 0 ? win::MouseRightDown : win::MouseRightUp);
        injections.push_back(Clock::now() - start);
    }
    platform->endPreciseTiming();
    printDurations("whole injection of a press or release", injections);
    return 0;
}
