// Reader and writer throughput on scripts shaped like real recordings.
#include <benchmark/benchmark.h>

#include "script/script_codec.h"

namespace {

constexpr int kLines = 100000;

std::vector<std::string> recordedScript()
{
    std::vector<std::string> lines;
    for (int i = 0; i < kLines; ++i)
        lines.push_back("LOGMOUSEPOS:" + std::to_string(600 + i % 80) + ":" + std::to_string(400 + i % 50));
    return lines;
}

std::vector<std::string> mixedScript()
{
    const std::vector<std::string> pattern = {
        "LOGMOUSEPOS:640:400", "LBUTTONDOWN:640:400", "LBUTTONUP:640:400", "# a comment",
        "KEYDOWN:640:400:65",  "KEYUP:640:400:65",    "SLEEP:500:0:0:0:0", "RBUTTONDOWN:1920:1080",
        "RBUTTONUP:1920:1080", "MBUTTONUNUP:12:34",   "",
    };
    std::vector<std::string> lines;
    for (int i = 0; i < kLines; ++i)
        lines.push_back(pattern[i % pattern.size()]);
    return lines;
}

void readLines(benchmark::State& state, const std::vector<std::string>& lines)
{
    const ScriptCodec codec;
    std::vector<InputEvent> events;
    for (auto _ : state) {
        events.clear();
        if (!codec.fromLines(lines, events))
            state.SkipWithError("script refused");
        benchmark::DoNotOptimize(events.data());
    }
    state.counters["lines/s"] =
        benchmark::Counter(double(lines.size()) * state.iterations(), benchmark::Counter::kIsRate);
}

void BM_ReadRecordedScript(benchmark::State& state) { readLines(state, recordedScript()); }
void BM_ReadMixedScript(benchmark::State& state) { readLines(state, mixedScript()); }

void BM_WriteCapturedEvents(benchmark::State& state)
{
    std::vector<InputEvent> events(kLines);
    for (int i = 0; i < kLines; ++i) {
        events[i].kind = toByte(i % 10 == 0 ? EventKind::MouseButton : EventKind::MousePos);
        events[i].code = i % 20 == 0 ? 0x01 : 0x02;
        events[i].x = static_cast<std::uint16_t>(600 + i % 1300);
        events[i].y = static_cast<std::uint16_t>(400 + i % 600);
    }
    const ScriptCodec codec;
    std::vector<std::string> lines;
    for (auto _ : state) {
        lines.clear();
        codec.toLines(events, lines);
        benchmark::DoNotOptimize(lines.data());
    }
    state.counters["events/s"] =
        benchmark::Counter(double(events.size()) * state.iterations(), benchmark::Counter::kIsRate);
}

BENCHMARK(BM_ReadRecordedScript)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadMixedScript)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WriteCapturedEvents)->Unit(benchmark::kMillisecond);

}  // namespace
