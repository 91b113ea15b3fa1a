#include <chrono>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <thread>

#include "capture/recovery.h"
#include "cli/commands.h"
#include "cli/session.h"
#include "platform/system_platform.h"
#include "system/termination_requests.h"

namespace {

constexpr std::chrono::milliseconds kSamplingTick{1};
// How long actions captured just before a signal get to arrive.
constexpr std::chrono::milliseconds kCaptureDrain{50};
constexpr int kVkC = 0x43;

namespace fs = std::filesystem;

// A recording is worth nothing if it cannot be saved at the end, so a file in a folder that does
// not exist or takes no files, or a name that is a folder, is refused before it starts.
bool canSaveTo(const std::string& path, std::string& problem)
{
    std::error_code error;
    const fs::path target = fs::u8path(path);
    if (fs::is_directory(target, error)) {
        problem = "is a folder, not a file";
        return false;
    }
    const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
    if (!fs::is_directory(folder, error)) {
        problem = "no such folder: " + folder.u8string();
        return false;
    }
    const fs::path probe = folder / fs::u8path(".tamblo-cli-" + std::to_string(std::random_device()()));
    const bool writable = static_cast<bool>(std::ofstream(probe));
    fs::remove(probe, error);
    if (!writable)
        problem = "cannot create files in " + folder.u8string();
    return writable;
}

}  // namespace

int runRecord(const Invocation& invocation)
{
    const std::string& path = invocation.files.front();
    std::string problem;
    if (!canSaveTo(path, problem)) {
        std::fprintf(stderr, "tamblo-cli: %s: %s\n", path.c_str(), problem.c_str());
        return kExitUsage;
    }

    const std::unique_ptr<PlatformInput> platform = createSystemPlatform();
    std::atomic<bool> stop{false};
    Session session(*platform, invocation.stopKey, stop);
    StopKeyListener& recorder = session.listener();
    recorder.recordKeys(invocation.keys);
    recorder.clicksOnly(invocation.clicksOnly);
    if (!session.start(problem)) {
        std::fprintf(stderr, "tamblo-cli: %s\n", problem.c_str());
        return session.exitStatus(kExitFailed);
    }
    if (!session.countdown(invocation.countdownSeconds, "recording")) {
        std::fprintf(stderr, "tamblo-cli: stopped before the recording started; %s left as it was\n", path.c_str());
        return session.exitStatus(kExitDone);
    }

    // From here until the recording is saved, a second signal (timeout sends two) hurries the end
    // but does not cut the save short.
    const termination::Hold keepTheRecording;
    recorder.startRecording();
    // Said once the recording runs, so that whoever waits for the words loses no action.
    std::fprintf(stderr, "tamblo-cli: recording to %s; %s or Ctrl-C stops\n", path.c_str(),
                 invocation.stopKey.name().c_str());
    // Pointer samples follow the recording's clock; the tick only has to come often enough, and on
    // time on a busy machine, which the platform's fine timer and priority give. It sleeps rather
    // than spins to its deadlines: a late tick loses nothing.
    platform->beginPreciseTiming();
    for (auto tick = std::chrono::steady_clock::now(); !stop; tick += kSamplingTick) {
        recorder.sampleTick(!invocation.clicksOnly);
        std::this_thread::sleep_until(tick + kSamplingTick);
    }
    platform->endPreciseTiming();
    if (!recorder.stopKeyPressed()) {
        // A signal comes from outside the input stream: actions made just before it may still be
        // on their way from the capture thread. A question to the input system sends them on, and
        // a moment lets them arrive. (The stop key comes through the capture, after them.)
        ScreenPoint pointer;
        platform->cursorPos(pointer);
        std::this_thread::sleep_for(kCaptureDrain);
    }
    // What ended the recording pressed keys of its own; those are not part of it.
    KeyChord ending;
    if (recorder.stopKeyPressed())
        ending = invocation.stopKey;
    else if (session.signal() == SIGINT)
        ending = KeyChord{kVkC, true, false, false};
    recorder.stopRecording(ending);

    std::string reason;
    const std::vector<InputEvent> capture = recorder.copyEvents();
    if (!recorder.saveToFile(path, capture, &reason)) {
        std::fprintf(stderr, "tamblo-cli: %s: cannot save the recording: %s\n", path.c_str(), reason.c_str());
        // Kept where the window keeps what it could not save, so its next start names it too.
        std::string kept;
        if (recovery::save(recorder, capture, recoveryFolder(), reason, &kept))
            std::fprintf(stderr, "tamblo-cli: the recording is kept in %s\n", kept.c_str());
        else
            std::fprintf(stderr, "tamblo-cli: cannot keep the recording either: %s\n", reason.c_str());
        return kExitFailed;
    }
    std::fprintf(stderr, "tamblo-cli: saved %zu events to %s\n", capture.size(), path.c_str());
    return session.exitStatus(kExitDone);
}
