#include "playback/passes.h"

namespace {

// A pass that ends so always ends the playback: the next pass would only stop there again, play on
// unseen after an unlock, or wait again for a colour the screen does not show.
bool endsPlaybackWhatever(PassEnd end)
{
    return end == PassEnd::ElevatedTarget || end == PassEnd::LockedDesktop || end == PassEnd::Suspended
        || end == PassEnd::ColourNeverCame;
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
        if (endsPlaybackWhatever(end) || (failed && failedPass == FailedPass::EndsPlayback))
            break;
        if (player.stopRequested) {
            end = PassEnd::Stopped;
            break;
        }
    }
    player.stopRequested = false;
    return end;
}
