#include <chrono>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <mutex>
#include <thread>

#include "capture/input_listener.h"
#include "cli/commands.h"
#include "cli/session.h"
#include "platform/system_platform.h"

namespace {

constexpr std::chrono::milliseconds kSamplingTick{1};
constexpr int kVkC = 0x43;

// A recording is worth nothing if it cannot be saved at the end, so a file in a folder that does
// not exist is refused before it starts.
bool folderExists(const std::string& path, std::string& problem)
{
    std::error_code error;
    const std::filesystem::path folder = std::filesystem::u8path(path).parent_path();
    if (folder.empty() || std::filesystem::is_directory(folder, error))
        return true;
    problem = "no such folder: " + folder.u8string();
    return false;
}

}  // namespace

int runRecord(const Invocation& invocation)
{
    const std::string& path = invocation.files.front();
    std::string problem;
    if (!folderExists(path, problem)) {
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

    recorder.startRecording();
    std::fprintf(stderr, "tamblo-cli: recording to %s; %s or Ctrl-C stops\n", path.c_str(),
                 invocation.stopKey.name().c_str());
    // Pointer samples follow the recording's clock; the tick only has to come often enough, and on
    // time on a busy machine, which the platform's fine timer and priority give. It sleeps rather
    // than spins to its deadlines: a late tick loses nothing.
    platform->beginPreciseTiming();
    for (auto tick = std::chrono::steady_clock::now(); !stop; tick += kSamplingTick) {
        if (!invocation.clicksOnly && recorder.isRecording()) {
            std::lock_guard<std::mutex> lock(g_listenerMutex);
            recorder.sampleDueSlots();
        }
        std::this_thread::sleep_until(tick + kSamplingTick);
    }
    platform->endPreciseTiming();
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
        return kExitFailed;
    }
    std::fprintf(stderr, "tamblo-cli: saved %zu events to %s\n", capture.size(), path.c_str());
    return session.exitStatus(kExitDone);
}
