// Figures for the pace of recordings made and replayed by the real window, on the current X display
// (run under Xvfb): an XTEST driver plays a person at the mouse while the window records, the window
// saves and replays the script, and a RECORD log with server timestamps compares the two passes.
//   xvfb-run -a -s "-screen 0 1280x1024x24" <build>/bench/app/tamblo_pace_bench [seconds [workload]]
// A workload named (move, clicks or scroll) is the only one measured. The run ends with one line per
// workload saying whether it met its goals, and exits with status 1 when one did not.
#include <QApplication>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "modal_driver.h"
#include "pace_report.h"
#include "platform/system_platform.h"
#include "ui/qtamblo.h"
#include "x_session.h"

namespace {

class PaceBench {
public:
    PaceBench(QTamblo& window, ServerEventLog& log, const QString& folder) : window(window), log(log), folder(folder) {}

    void run(InputDriver::Workload workload, int busyLoops, int seconds, PaceGoals& goals)
    {
        const QString path = folder + "/" + InputDriver::name(workload) + QString::number(busyLoops) + ".tbcode";
        RecordedPass recorded = record(workload, busyLoops, seconds, path);
        const std::vector<ServerEvent> replayed = replay(path);
        const std::string label = busyLoops ? "window, 2 busy loops" : "window, idle";
        goals.note(workload, label.c_str(), printPaceFigures(label.c_str(), workload, recorded, replayed));
        std::fflush(stdout);
    }

private:
    RecordedPass record(InputDriver::Workload workload, int busyLoops, int seconds, const QString& path)
    {
        park();
        RecordedPass pass;
        {
            BusyLoops busy(busyLoops);
            InputDriver person;
            window.setRecording(true);
            pass.startMs = serverTimeNow();
            person.start(workload, std::chrono::seconds(seconds));
            QTest::qWait(seconds * 1000 + 20);
            person.join();
            pass.stopMs = serverTimeNow();
            driver.then(chooseFile(path)).then(answerBox(QMessageBox::Ok));
            window.setRecording(false);
        }
        pass.events = log.take();
        countScript(path.toStdString(), pass);
        return pass;
    }

    std::vector<ServerEvent> replay(const QString& path)
    {
        park();
        driver.then(chooseFile(path)).then(answerBox(QMessageBox::Yes)).then(answerBox(QMessageBox::Yes));
        window.onclickedPlay();
        QTest::qWait(50);
        return log.take();
    }

    // The pointer goes where no workload goes, so the replay's first pointer sample is a motion.
    void park()
    {
        x.movePointer(2, 2);
        QTest::qWait(50);
        log.take();
    }

    QTamblo& window;
    ServerEventLog& log;
    QString folder;
    XSession x;
    ModalDriver driver;
};

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
    QApplication application(argc, argv);
    const std::unique_ptr<PlatformInput> platform = createSystemPlatform();
    QTamblo window(*platform);
    if (!window.captureStarted()) {
        std::fprintf(stderr, "capture unavailable: %s\n", window.captureFailure().detail.c_str());
        return 1;
    }
    window.show();
    if (!QTest::qWaitForWindowExposed(&window))
        std::fprintf(stderr, "the window was not shown\n");
    ServerEventLog log;
    std::string reason;
    if (!log.start(reason)) {
        std::fprintf(stderr, "%s\n", reason.c_str());
        return 1;
    }
    QTemporaryDir folder;
    PaceBench bench(window, log, folder.path());
    std::printf("Each workload recorded for %d s, then replayed (goals: 100.0 +- 0.5 events/s, span ratio "
                "1.000 +- 0.005, median <= 5 ms, p95 <= 10 ms, every press at its pixel)\n", seconds);
    PaceGoals goals;
    for (InputDriver::Workload workload :
         {InputDriver::Workload::Move, InputDriver::Workload::Clicks, InputDriver::Workload::Scroll}) {
        for (int busyLoops : {0, 2}) {
            if (!oneWorkload || workload == only)
                bench.run(workload, busyLoops, seconds, goals);
        }
    }
    return goals.printVerdicts() ? 0 : 1;
}
