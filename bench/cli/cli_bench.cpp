// Figures for tamblo-cli on the current X display (run under Xvfb), with a RECORD log of what the
// server saw and its timestamps:
//   - play: from starting the process to its first injected event, and from its last event to its
//     exit (the player's 10 ms wait before the first event included);
//   - the pace of `record` and `record --clicks-only`: an XTEST person moves, clicks or scrolls while the
//     program records, the script is replayed with `play`, and the passes are compared.
//   xvfb-run -a -s "-screen 0 1280x1024x24" <build>/bench/cli/tamblo_cli_bench [seconds [workload]]
// A workload named (move, clicks or scroll) measures only its pace.
#include <signal.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "cli_process.h"
#include "input_driver.h"
#include "pace_report.h"
#include "server_event_log.h"

namespace {

using namespace std::chrono_literals;

void printMilliseconds(const char* what, std::vector<long long> values)
{
    std::sort(values.begin(), values.end());
    const auto at = [&values](double fraction) {
        return values[static_cast<std::size_t>(fraction * static_cast<double>(values.size() - 1))];
    };
    std::printf("%-40s median %3lld ms   p95 %3lld ms   max %3lld ms   (n=%zu, server clock, 1 ms steps)\n", what,
                at(0.5), at(0.95), at(1.0), values.size());
}

// Plays a short script of clicks again and again.
void playLatency(ServerEventLog& log, const std::string& folder, int runs)
{
    const std::string path = folder + "/clicks.tbcode";
    {
        std::ofstream script(path);
        for (int i = 0; i < 5; ++i)
            script << "LBUTTONDOWN:" << 300 + i << ":400\nLBUTTONUP:" << 300 + i << ":400\n";
    }
    std::vector<long long> toFirst;
    std::vector<long long> fromLast;
    for (int run = 0; run < runs; ++run) {
        log.take();
        const std::uint32_t started = serverTimeNow();
        CliProcess play({"play", path});
        const int status = play.wait();
        const std::uint32_t ended = serverTimeNow();
        const std::vector<ServerEvent> seen = log.take();
        std::vector<ServerEvent> buttons;
        std::copy_if(seen.begin(), seen.end(), std::back_inserter(buttons),
                     [](const ServerEvent& e) { return e.type != ServerEvent::Motion; });
        if (status != 0 || buttons.size() != 10) {
            std::printf("play run %d: status %d, %zu button events\n", run, status, buttons.size());
            continue;
        }
        toFirst.push_back(serverMsBetween(started, buttons.front().timeMs));
        fromLast.push_back(serverMsBetween(buttons.back().timeMs, ended));
    }
    if (toFirst.empty())
        return;
    printMilliseconds("play: process start to first event", toFirst);
    printMilliseconds("play: last event to process exit", fromLast);
}

void pace(ServerEventLog& log, const std::string& folder, InputDriver::Workload workload,
          bool clicksOnly, int busyLoops, int seconds)
{
    const std::string path = folder + "/" + InputDriver::name(workload) + (clicksOnly ? "-clicks-only" : "") + ".tbcode";
    RecordedPass recorded;
    {
        CliProcess record(clicksOnly ? std::vector<std::string>{"record", path, "--clicks-only"}
                                     : std::vector<std::string>{"record", path});
        if (!record.waitForError("recording to")) {
            std::printf("record did not start: %s\n", record.error().c_str());
            return;
        }
        BusyLoops busy(busyLoops);
        log.take();
        recorded.startMs = serverTimeNow();
        InputDriver person;
        person.start(workload, std::chrono::seconds(seconds));
        person.join();
        std::this_thread::sleep_for(20ms);
        recorded.stopMs = serverTimeNow();
        record.signal(SIGTERM);
        if (record.wait() != 128 + SIGTERM)
            std::printf("record ended with %s\n", record.error().c_str());
        recorded.events = log.take();
    }
    countScript(path, recorded);

    // Park the pointer where no workload goes, so the replay's first pointer sample is a motion.
    {
        std::ofstream script(folder + "/park.tbcode");
        script << "LOGMOUSEPOS:2:2\n";
    }
    CliProcess({"play", folder + "/park.tbcode"}).wait();
    log.take();
    CliProcess play({"play", path});
    play.wait(std::chrono::seconds(seconds * 3 + 10));
    const std::string label = std::string(clicksOnly ? "cli --clicks-only" : "cli") + (busyLoops ? ", 2 busy" : ", idle");
    printPaceFigures(label.c_str(), workload, recorded, log.take());
    std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv)
{
    const int seconds = argc > 1 ? std::atoi(argv[1]) : 5;
    InputDriver::Workload only{};
    const bool oneWorkload = argc > 2;
    if (oneWorkload && !InputDriver::parse(argv[2], only)) {
        std::fprintf(stderr, "unknown workload %s\n", argv[2]);
        return 2;
    }
    ServerEventLog log;
    std::string reason;
    if (!log.start(reason)) {
        std::fprintf(stderr, "%s\n", reason.c_str());
        return 1;
    }
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("tamblo-cli-bench-" + std::to_string(std::random_device()()));
    std::filesystem::create_directories(folder);

    if (!oneWorkload)
        playLatency(log, folder.string(), 30);
    std::printf("Each workload recorded for %d s, then replayed (goals: 100.0 +- 0.5 samples/s without "
                "--clicks-only, span ratio 1.000 +- 0.005, median <= 5 ms, p95 <= 10 ms, every press at its pixel)\n",
                seconds);
    for (InputDriver::Workload workload :
         {InputDriver::Workload::Move, InputDriver::Workload::Clicks, InputDriver::Workload::Scroll}) {
        for (bool clicksOnly : {false, true}) {
            // Without pointer samples there is no movement to compare.
            if ((clicksOnly && workload == InputDriver::Workload::Move) || (oneWorkload && workload != only))
                continue;
            for (int busyLoops : {0, 2})
                pace(log, folder.string(), workload, clicksOnly, busyLoops, seconds);
        }
    }
    std::filesystem::remove_all(folder);
    return 0;
}
