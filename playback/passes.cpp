#include "playback/passes.h"

#include "playback/player.h"

PlaybackEnd playPasses(Player& player, const std::vector<InputEvent>& events, const PassCount& count,
                       FailedPass failedPass, const std::function<void(long long pass)>& beforePass)
{
    PlaybackEnd end = PlaybackEnd::Completed;
    for (long long pass = 1; pass == 1 || count.untilStopped || pass <= count.passes; ++pass) {
        if (beforePass)
            beforePass(pass);
        // A colour that never came ends the playback whatever: the screen is not what the script
        // expects, and the next pass would only wait for it again.
        if (!player.play(events)
            && (failedPass == FailedPass::EndsPlayback || player.passEnd() == Player::PassEnd::ColourNeverCame)) {
            end = PlaybackEnd::Failed;
            break;
        }
        if (player.stopRequested) {
            end = PlaybackEnd::Stopped;
            break;
        }
    }
    player.stopRequested = false;
    return end;
}
