#include "playback/passes.h"

namespace {

bool inputWouldBeLost(PassEnd end)
{
    return end == PassEnd::ElevatedTarget || end == PassEnd::LockedDesktop || end == PassEnd::Suspended;
}

}  // namespace

PassEnd playPasses(Player& player, const std::vector<InputEvent>& events, const PassCount& count,
                   FailedPass failedPass, const std::function<void(long long pass)>& beforePass)
{
    PassEnd end = PassEnd::Finished;
    for (long long pass = 1; pass == 1 || count.untilStopped || pass <= count.passes; ++pass) {
        if (beforePass)
            beforePass(pass);
        end = player.play(events);
        const bool failed = !passCompleted(end);
        if (inputWouldBeLost(end) || (failed && failedPass == FailedPass::EndsPlayback))
            break;
        if (player.stopRequested) {
            end = PassEnd::Stopped;
            break;
        }
    }
    player.stopRequested = false;
    return end;
}
