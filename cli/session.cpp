#include "cli/session.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <thread>

#include "system/termination_requests.h"

Session::Session(PlatformInput& platform, const KeyChord& stopKey, std::atomic<bool>& stop)
    : input(platform), stopKey(stopKey), stop(stop)
{
    termination::alsoSet(&stop);
    watcher = std::make_unique<StopKeyListener>(input, stopKey, stop);
    watcher->attachCodec(&codec);
}

namespace {

// Longer than a person holds a key; a key that seems held for longer was released unseen.
constexpr std::chrono::seconds kLongestKeyHold{2};
// How far the window's capture may lag behind this one's on a busy machine.
constexpr std::chrono::milliseconds kWindowCaptureLag{100};
constexpr std::chrono::milliseconds kKeyLook{5};

std::string englishCaptureFailure(const CaptureFailure& failure)
{
    const std::string& detail = failure.detail;
    switch (failure.cause) {
    case CaptureFailure::Cause::NoDisplay:
        return "no X display: the DISPLAY environment variable is not set";
    case CaptureFailure::Cause::DisplayUnreachable:
        return "cannot open the X display " + detail;
    case CaptureFailure::Cause::NoRecordExtension:
        return "the X server at " + detail + " has no RECORD extension, which recording input needs";
    case CaptureFailure::Cause::NoTestExtension:
        return "the X server at " + detail + " has no XTEST extension, which playing input back needs";
    case CaptureFailure::Cause::NoFurtherConnections:
        return "cannot open further connections to the X display " + detail;
    case CaptureFailure::Cause::RecordingRefused:
        return "the X server at " + detail + " refused to record input";
    case CaptureFailure::Cause::OutOfMemory:
        return "out of memory while setting up input recording";
    case CaptureFailure::Cause::MouseNotWatched:
        return "cannot watch the mouse: " + detail;
    case CaptureFailure::Cause::KeyboardNotWatched:
        return "cannot watch the keyboard: " + detail;
    }
    return "cannot watch the mouse and keyboard";
}

}  // namespace

Session::~Session()
{
    termination::alsoSet(nullptr);
    if (watching) {
        releaseClaimOnceTheKeyIsUp();
        input.stopHookThread();
    }
    watcher.reset();
    termination::cleanupFinished();
}

bool Session::start(std::string& problem)
{
    if (desktopLimitation() == DesktopLimitation::WaylandSession)
        std::fprintf(stderr, "tamblo-cli: note: this is a Wayland session: only the windows of X11 programs are "
                             "recorded and played back, and clicks in other programs are missing from a recording; "
                             "for every program, log out and choose an X11 session (one named \"Xorg\") at the "
                             "login screen\n");
    CaptureFailure failure;
    if (!input.startHookThread(failure)) {
        problem = englishCaptureFailure(failure);
        return false;
    }
    watching = true;
    claim.emplace(stopKey.virtualKey);
    if (!input.canWatchKey(stopKey.virtualKey)) {
        problem = "the stop key " + stopKey.name() + " is on no key of this keyboard; choose another with --stop-key";
        return false;
    }
    return true;
}

bool Session::countdown(double seconds, const std::string& what)
{
    if (seconds <= 0)
        return !stop;
    std::fprintf(stderr, "tamblo-cli: %s in %g s; %s stops\n", what.c_str(), seconds, stopKey.name().c_str());
    const auto end = input.now() + std::chrono::duration_cast<PlatformInput::Clock::duration>(
                                        std::chrono::duration<double>(seconds));
    constexpr std::chrono::milliseconds kSlice{5};
    while (!stop && input.now() < end)
        input.sleepUntil(std::min(end, input.now() + kSlice));
    return !stop;
}

void Session::releaseClaimOnceTheKeyIsUp()
{
    if (claim && watcher->stopKeyPressed()) {
        const auto end = input.now() + kLongestKeyHold;
        while (watcher->stopKeyHeld() && input.now() < end)
            std::this_thread::sleep_for(kKeyLook);
        std::this_thread::sleep_for(kWindowCaptureLag);
    }
    claim.reset();
}

int Session::signal() const
{
    return termination::requested();
}

int Session::exitStatus(int status) const
{
    return signal() != 0 ? 128 + signal() : status;
}
