#include <QApplication>
#include <QTimer>
#include <QTranslator>

#include <cstdio>
#include <memory>
#include <string>

#include "capture/recovery.h"
#include "system/abrupt_end.h"
#include "system/recovery_folder.h"
#include "platform/system_platform.h"
#include "system/session.h"
#include "system/termination_requests.h"
#include "ui/capture_failure.h"
#include "ui/desktop_limitation.h"
#include "ui/qtamblo.h"
#include "ui/recovered_scripts.h"
#include "ui/run_ending.h"
#include "ui/single_instance.h"

int main(int argc, char** argv)
{
    // From the first moment: a request during start-up ends the run as soon as it can, and a
    // library that ends the process cannot race other threads through static destruction.
    termination::watch();
    const abruptEnd::UnplannedExitGuard exitGuard;

    // Without a display the toolkit would abort with a core dump; say why instead.
    const std::string displayProblem = displayProblemText(displayState());
    if (!displayProblem.empty()) {
        std::fputs(displayProblem.c_str(), stderr);
        return 1;
    }

    // The window paints with the raster engine; letting Qt probe OpenGL at start-up would map the
    // GL driver (tens of megabytes) for nothing. An explicit choice in the environment still wins.
    if (!qEnvironmentVariableIsSet("QT_XCB_GL_INTEGRATION"))
        qputenv("QT_XCB_GL_INTEGRATION", "none");

    QApplication application(argc, argv);
    QTranslator translator;
    translator.load(":/Tamblo/image/qt_zh_CN.qm", "", "", "");
    application.installTranslator(&translator);

    SingleInstance instance(QString::fromStdString(instanceName()));
    if (instance.claim() == SingleInstance::Role::AnotherRuns)
        return 0;

    const std::unique_ptr<PlatformInput> platform = createSystemPlatform();
    QTamblo window(*platform);
    if (!window.captureStarted())
        return reportCaptureUnavailable(window.captureFailure());
    const RunEnding ending(window);
    QObject::connect(&instance, &SingleInstance::showRequested, &window, &QTamblo::bringToFront);

    window.show();
    QTimer::singleShot(0, &window, [&window] {
        announceDesktopLimitation(&window);
        announceRecoveredScripts(&window, recovery::recoveredScripts(recoveryFolder().path));
    });
    const int status = application.exec();
    termination::cleanupFinished();
    return status;
}
