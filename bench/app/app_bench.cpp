// Figures for the running application on the current X display: start-up to window shown, idle CPU
// and resident memory of the real executable, and the latency from an injected F7 press to the
// recording being on (in process, through the real capture thread and the queued command).
#include <QApplication>
#include <QProcess>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

#include "platform/system_platform.h"
#include "ui/qtamblo.h"
#include "x_session.h"

namespace {

using Clock = std::chrono::steady_clock;
const std::string kTitle = "Norrel鼠标自动点击器1008";

double ms(Clock::duration d)
{
    return std::chrono::duration<double, std::milli>(d).count();
}

void printSpread(const char* what, std::vector<double> values, const char* target)
{
    std::sort(values.begin(), values.end());
    const auto at = [&](double q) { return values[static_cast<std::size_t>(q * (values.size() - 1))]; };
    std::printf("%-34s median %7.2f ms  p90 %7.2f ms  min %7.2f  max %7.2f  (n=%zu; target %s)\n", what,
                at(0.5), at(0.9), values.front(), values.back(), values.size(), target);
}

// Process CPU time (user + system) in seconds, and resident memory in kB, from /proc.
double cpuSeconds(qint64 pid)
{
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    std::getline(stat, line);
    std::istringstream fields(line.substr(line.rfind(')') + 2));
    std::string field;
    long long user = 0, system = 0;
    for (int index = 3; fields >> field; ++index) {
        if (index == 14)
            user = std::stoll(field);
        if (index == 15) {
            system = std::stoll(field);
            break;
        }
    }
    return static_cast<double>(user + system) / static_cast<double>(sysconf(_SC_CLK_TCK));
}

long residentKb(qint64 pid)
{
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmRSS:", 0) == 0)
            return std::stol(line.substr(6));
    return -1;
}

// Starts the executable and returns once its window is on screen (or after 10 s).
std::optional<double> startAndWaitShown(QProcess& process, XSession& x)
{
    const Clock::time_point start = Clock::now();
    process.start(QStringLiteral(TAMBLO_EXECUTABLE), QStringList());
    while (Clock::now() - start < std::chrono::seconds(10)) {
        if (!x.windowsTitled(kTitle, false).empty())
            return ms(Clock::now() - start);
        std::this_thread::sleep_for(std::chrono::microseconds(500));
    }
    return std::nullopt;
}

void stop(QProcess& process)
{
    process.kill();
    process.waitForFinished(3000);
}

void benchStartUpAndIdle(XSession& x)
{
    std::vector<double> startUps;
    for (int run = 0; run < 7; ++run) {
        QProcess process;
        if (const auto shown = startAndWaitShown(process, x))
            startUps.push_back(*shown);
        stop(process);
    }
    if (startUps.empty()) {
        std::printf("start-up: the window never appeared\n");
        return;
    }
    printSpread("start-up to window shown", startUps, "<= 300 ms");

    QProcess process;
    if (!startAndWaitShown(process, x))
        return;
    std::this_thread::sleep_for(std::chrono::seconds(1));
    const double before = cpuSeconds(process.processId());
    const Clock::time_point from = Clock::now();
    std::this_thread::sleep_for(std::chrono::seconds(10));
    const double used = cpuSeconds(process.processId()) - before;
    const double seconds = std::chrono::duration<double>(Clock::now() - from).count();
    std::printf("%-34s %7.2f %% of one core over %.1f s  (target <= 2 %%)\n", "idle CPU, window shown",
                100.0 * used / seconds, seconds);
    std::printf("%-34s %7.1f MB  (target <= 60 MB)\n", "idle resident memory",
                static_cast<double>(residentKb(process.processId())) / 1024.0);
    stop(process);
}

// The real window, except that stopping skips the save dialog; stamps the moment recording is on.
class TimedWindow : public QTamblo {
public:
    using QTamblo::QTamblo;
    std::optional<Clock::time_point> switchedOn;

    void setRecording(bool on) override
    {
        if (on) {
            QTamblo::setRecording(true);
            switchedOn = Clock::now();
        } else {
            recording = false;
        }
    }
};

void benchHotKeyLatency(XSession& x)
{
    const std::unique_ptr<PlatformInput> platform = createSystemPlatform();
    TimedWindow window(*platform);
    if (!window.captureStarted()) {
        std::printf("hot-key latency: capture unavailable: %s\n", window.captureFailure().detail.c_str());
        return;
    }
    window.show();
    const Clock::time_point shownBy = Clock::now() + std::chrono::milliseconds(300);
    while (Clock::now() < shownBy)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);

    std::vector<double> latencies;
    for (int sample = 0; sample < 40; ++sample) {
        window.switchedOn.reset();
        const Clock::time_point pressed = Clock::now();
        x.pressKey("F7");
        while (!window.switchedOn && Clock::now() - pressed < std::chrono::seconds(2))
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
        if (window.switchedOn)
            latencies.push_back(ms(*window.switchedOn - pressed));
        x.releaseKey("F7");
        x.tapKey("F7");
        const Clock::time_point stopping = Clock::now();
        while (window.isRecording() && Clock::now() - stopping < std::chrono::seconds(2))
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    if (latencies.empty()) {
        std::printf("hot-key latency: F7 never switched recording on\n");
        return;
    }
    printSpread("F7 press to recording on", latencies, "median <= 20 ms");
}

}  // namespace

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    XSession x;
    if (!x.isOpen()) {
        std::fprintf(stderr, "no X display\n");
        return 1;
    }
    benchStartUpAndIdle(x);
    benchHotKeyLatency(x);
    return 0;
}
