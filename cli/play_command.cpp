#include <chrono>
#include <cmath>
#include <condition_variable>
#include <cstdio>
#include <iostream>
#include <mutex>
#include <optional>
#include <thread>

#include "cli/commands.h"
#include "cli/progress_line.h"
#include "cli/script_check.h"
#include "cli/session.h"
#include "system/console.h"
#include "platform/system_platform.h"
#include "playback/passes.h"
#include "playback/player.h"

namespace {

using Clock = PlatformInput::Clock;

std::uint64_t passMilliseconds(const std::vector<InputEvent>& events)
{
    std::uint64_t total = 0;
    for (const InputEvent& event : events)
        total += static_cast<std::uint64_t>(replayTime(event).count());
    return total;
}

// Whole seconds as a clock shows them: "0:07", "12:30", "3:02:05".
std::string clockText(std::uint64_t seconds)
{
    char text[32];
    if (seconds >= 3600)
        std::snprintf(text, sizeof text, "%llu:%02u:%02u", static_cast<unsigned long long>(seconds / 3600),
                      static_cast<unsigned>(seconds / 60 % 60), static_cast<unsigned>(seconds % 60));
    else
        std::snprintf(text, sizeof text, "%u:%02u", static_cast<unsigned>(seconds / 60), static_cast<unsigned>(seconds % 60));
    return text;
}

// Where a playback is, for the progress line and the closing message.
struct PlaybackPosition {
    std::atomic<long long> pass{0};
    std::atomic<Clock::rep> passStarted{0};
};

// Redraws the progress line every 200 ms on its own thread while a playback runs. Without a
// terminal there is no such line; a pause and a resume are then said on lines of their own.
class ProgressReporter {
public:
    ProgressReporter(const Invocation& invocation, const Player& player, const PlaybackPosition& position,
                     std::size_t events, std::uint64_t passMs, bool onTerminal)
        : invocation(invocation), player(player), position(position), events(events), passMs(passMs),
          onTerminal(onTerminal)
    {
        thread = std::thread([this] { run(); });
    }

    ~ProgressReporter()
    {
        {
            std::lock_guard<std::mutex> lock(mutex);
            finished = true;
        }
        wake.notify_one();
        thread.join();
    }

    ProgressReporter(const ProgressReporter&) = delete;
    ProgressReporter& operator=(const ProgressReporter&) = delete;

private:
    void run()
    {
        std::optional<ProgressLine> line;
        if (onTerminal)
            line.emplace(stderr);
        bool wasPaused = false;
        std::unique_lock<std::mutex> lock(mutex);
        while (!wake.wait_for(lock, std::chrono::milliseconds(onTerminal ? 200 : 20), [this] { return finished; })) {
            if (line) {
                line->show(text());
                continue;
            }
            if (player.paused == wasPaused)
                continue;
            wasPaused = !wasPaused;
            std::fprintf(stderr, "tamblo-cli: %s\n", wasPaused ? pausedText().c_str() : "resumed");
        }
    }

    std::string pausedText() const
    {
        return "paused at event " + std::to_string(player.eventsPlayed.load()) + " of " + std::to_string(events)
               + ", what the script held is released; " + invocation.pauseKey->name() + " resumes";
    }

    std::string text() const
    {
        if (player.paused)
            return pausedText() + ", " + invocation.stopKey.name() + " stops";
        const long long pass = position.pass;
        const auto inPass = std::chrono::duration_cast<std::chrono::milliseconds>(
            Clock::now() - Clock::time_point(Clock::duration(position.passStarted.load())));
        const double scaledPass = static_cast<double>(passMs) / invocation.speed;
        const double leftInPass = std::max(0.0, scaledPass - static_cast<double>(inPass.count()));
        std::string shown = "pass " + std::to_string(pass);
        if (!invocation.loop)
            shown += " of " + std::to_string(invocation.repeat);
        shown += ", event " + std::to_string(player.eventsPlayed.load()) + " of " + std::to_string(events);
        if (!invocation.loop) {
            const double left = leftInPass + scaledPass * static_cast<double>(invocation.repeat - pass);
            shown += ", " + clockText(static_cast<std::uint64_t>(std::ceil(left / 1000.0))) + " left";
        }
        if (invocation.pauseKey)
            shown += "; " + invocation.pauseKey->name() + " pauses";
        return shown + "; " + invocation.stopKey.name() + " or Ctrl-C stops";
    }

    const Invocation& invocation;
    const Player& player;
    const PlaybackPosition& position;
    const std::size_t events;
    const std::uint64_t passMs;
    const bool onTerminal;
    std::mutex mutex;
    std::condition_variable wake;
    bool finished = false;
    std::thread thread;
};

// FILE:LINE: what the wait looked for, and what it saw instead.
void reportMissingColour(const std::string& path, std::size_t line, const InputEvent& wait,
                         const std::optional<std::uint32_t>& seen)
{
    const std::string saw = seen ? "it is " + colourText(*seen) : "the screen there could not be read";
    const ScreenPoint at = screenPosition(wait);
    std::fprintf(stderr, "tamblo-cli: %s:%zu: stopped: %s (tolerance %u) did not come at %d,%d within %s; %s\n",
                 path.c_str(), line, colourText(waitColour(wait)).c_str(), static_cast<unsigned>(wait.code), at.x, at.y,
                 formatDuration(static_cast<std::uint32_t>(wait.value)).c_str(), saw.c_str());
}

// Why a pass stopped short of its end, after "event N of M ".
const char* shortfall(PassEnd end)
{
    switch (end) {
    // Both are what a locked screen does to a program that has no window to be told of the lock.
    case PassEnd::PointerNotMoved:
        return "could not be played: the pointer could not be moved there (is the screen locked?)";
    case PassEnd::InputRefused:
        return "could not be played: the system refused the input (is the screen locked?)";
    case PassEnd::ElevatedTarget:
        return "was not played: its window runs as administrator and drops input from programs that do not; "
               "run tamblo-cli as administrator too";
    case PassEnd::LockedDesktop:
        return "was not played: the screen is locked or shows another user's session, where no program may send input";
    case PassEnd::Suspended:
        return "was not played: the computer went to sleep";
    default:
        return "could not be played";
    }
}

}  // namespace

int runPlay(const Invocation& invocation)
{
    const std::string& path = invocation.files.front();
    const ScriptCodec codec;
    std::vector<InputEvent> events;
    std::vector<std::size_t> eventLines;
    const ScriptFileResult read = readScriptFile(path, codec, &events, noteEventLines(eventLines));
    if (read.verdict != ScriptFileResult::Verdict::Accepted) {
        reportUnplayable(codec, path, read, std::cerr);
        return read.verdict == ScriptFileResult::Verdict::Refused ? kExitFailed : kExitUsage;
    }
    if (events.empty()) {
        // Looping over nothing would only spin.
        std::fprintf(stderr, "tamblo-cli: %s: no events to play\n", path.c_str());
        return kExitDone;
    }

    const std::unique_ptr<PlatformInput> platform = createSystemPlatform();
    Player player(*platform);
    player.setSpeed(invocation.speed);
    // The stop key and the signals set the player's own flag, so a pause is cut short at once.
    player.stopRequested = false;
    Session session(*platform, invocation.stopKey, player.stopRequested);
    if (invocation.pauseKey)
        session.listener().watchPauseKey(*invocation.pauseKey, player.pauseRequested);
    std::string problem;
    if (!session.start(problem)) {
        std::fprintf(stderr, "tamblo-cli: %s\n", problem.c_str());
        return session.exitStatus(kExitFailed);
    }
    if (invocation.pauseKey && !platform->canWatchKey(invocation.pauseKey->virtualKey)) {
        std::fprintf(stderr, "tamblo-cli: the pause key %s is on no key of this keyboard; choose another with --pause-key\n",
                     invocation.pauseKey->name().c_str());
        return session.exitStatus(kExitFailed);
    }
    if (!session.countdown(invocation.countdownSeconds, "playing")) {
        std::fprintf(stderr, "tamblo-cli: stopped before playing\n");
        return session.exitStatus(kExitDone);
    }

    PlaybackPosition position;
    PassEnd end;
    {
        std::unique_ptr<ProgressReporter> progress;
        if (standardErrorIsTerminal() || invocation.pauseKey)
            progress = std::make_unique<ProgressReporter>(invocation, player, position, events.size(),
                                                          passMilliseconds(events), standardErrorIsTerminal());
        end = playPasses(player, events, PassCount{invocation.repeat, invocation.loop}, FailedPass::EndsPlayback,
                         [&position](long long pass) {
                             position.pass = pass;
                             position.passStarted = Clock::now().time_since_epoch().count();
                         });
    }
    const long long pass = position.pass;
    if (!passCompleted(end)) {
        const std::size_t failedEvent = player.eventsPlayed.load();
        if (end == PassEnd::ColourNeverCame)
            reportMissingColour(path, eventLines[failedEvent], events[failedEvent], player.colourSeen());
        else
            std::fprintf(stderr, "tamblo-cli: %s: stopped in pass %lld: event %zu of %zu %s\n", path.c_str(), pass,
                         failedEvent + 1, events.size(), shortfall(end));
        return session.exitStatus(kExitFailed);
    }
    if (end == PassEnd::Stopped && session.signal() == 0 && session.listener().stopKeyPressed())
        std::fprintf(stderr, "tamblo-cli: stopped by %s in pass %lld at event %zu of %zu\n",
                     invocation.stopKey.name().c_str(), pass, player.eventsPlayed.load(), events.size());
    return session.exitStatus(kExitDone);
}
