// Saving a long capture while a simulated capture thread keeps taking the listener lock: reports
// the save's wall time and the longest time the capture side had to wait for the lock.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <thread>

#include "capture/input_listener.h"
#include "capture/recorder.h"
#include "platform/fake/fake_platform.h"
#include "script/script_codec.h"

namespace {

using SteadyClock = std::chrono::steady_clock;

// Locks g_listenerMutex as the capture thread does for each action and records the longest wait.
class LockProbe {
public:
    LockProbe()
        : thread([this] {
              while (!stop) {
                  // Only a lock found taken counts, so scheduling delays of this thread do not.
                  if (g_listenerMutex.try_lock()) {
                      g_listenerMutex.unlock();
                  } else {
                      const auto before = SteadyClock::now();
                      { std::lock_guard<std::mutex> lock(g_listenerMutex); }
                      longestWait = std::max(longestWait, SteadyClock::now() - before);
                  }
                  std::this_thread::sleep_for(std::chrono::microseconds(50));
              }
          })
    {
    }
    ~LockProbe()
    {
        stop = true;
        thread.join();
    }
    double longestWaitMs() const { return std::chrono::duration<double, std::milli>(longestWait).count(); }

private:
    std::atomic<bool> stop{false};
    SteadyClock::duration longestWait{};
    std::thread thread;
};

void BM_SaveMillionEventCapture(benchmark::State& state)
{
    FakePlatform platform;
    ScriptCodec codec;
    Recorder recorder(platform);
    recorder.attachCodec(&codec);
    recorder.setRecording(true);
    for (int i = 0; i < 1000000; ++i) {
        platform.setPointer(600 + i % 1300, 400 + i % 600);
        recorder.addEvent(i % 10 == 0 ? 0x01 : 0, toByte(i % 10 == 0 ? EventKind::MouseButton : EventKind::MousePos), 0);
    }
    recorder.setRecording(false);
    const std::string path = (std::filesystem::temp_directory_path() / "tamblo-bench-save.tbcode").string();

    double longestWaitMs = 0;
    for (auto _ : state) {
        LockProbe probe;
        if (!recorder.saveToFile(path))
            state.SkipWithError("save failed");
        longestWaitMs = std::max(longestWaitMs, probe.longestWaitMs());
    }
    state.counters["longest lock wait ms"] = longestWaitMs;
    state.counters["file MB"] = double(std::filesystem::file_size(path)) / 1e6;
    std::filesystem::remove(path);
}

BENCHMARK(BM_SaveMillionEventCapture)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace
