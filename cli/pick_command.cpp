#include <chrono>
#include <cstdio>

#include "cli/commands.h"
#include "platform/system_platform.h"
#include "script/script_codec.h"
#include "system/termination_requests.h"

namespace {

// What a picked line allows: a little for anti-aliasing and colour profiles, and ten seconds.
constexpr unsigned kPickedTolerance = 10;
constexpr unsigned kPickedTimeoutMs = 10000;
constexpr std::chrono::seconds kFollowInterval{1};
constexpr std::chrono::milliseconds kStopLook{20};

bool printPick(PlatformInput& platform)
{
    ScreenPoint pointer;
    if (!platform.cursorPos(pointer)) {
        std::fprintf(stderr, "tamblo-cli: the pointer's position cannot be had\n");
        return false;
    }
    std::uint32_t rgb = 0;
    if (!platform.screenPixel(pointer.x, pointer.y, rgb)) {
        std::fprintf(stderr, "tamblo-cli: the screen at %d,%d cannot be read\n", pointer.x, pointer.y);
        return false;
    }
    std::printf("# %d,%d is %s\nWAITCOLOR:%d:%d:%u:%u:%u\n", pointer.x, pointer.y, colourText(rgb).c_str(), pointer.x,
                pointer.y, static_cast<unsigned>(rgb), kPickedTolerance, kPickedTimeoutMs);
    // With SIGPIPE ignored, a reader that has gone (e.g. `| head -2`) shows here and ends a follow.
    if (std::fflush(stdout) != 0) {
        std::fprintf(stderr, "tamblo-cli: the picked line cannot be written\n");
        return false;
    }
    return true;
}

}  // namespace

int runPick(const Invocation& invocation)
{
    const std::unique_ptr<PlatformInput> platform = createSystemPlatform();
    if (!invocation.follow)
        return printPick(*platform) ? kExitDone : kExitFailed;
    while (termination::requested() == 0) {
        if (!printPick(*platform))
            return kExitFailed;
        const auto next = platform->now() + kFollowInterval;
        while (termination::requested() == 0 && platform->now() < next)
            platform->sleepUntil(std::min(next, platform->now() + kStopLook));
    }
    return 128 + termination::requested();
}
