#include <QApplication>
#include <QTranslator>

#include <memory>

#include "platform/system_platform.h"
#include "ui/capture_failure.h"
#include "ui/qtamblo.h"

int main(int argc, char** argv)
{
    // The window paints with the raster engine; letting Qt probe OpenGL at start-up would map the
    // GL driver (tens of megabytes) for nothing. An explicit choice in the environment still wins.
    if (!qEnvironmentVariableIsSet("QT_XCB_GL_INTEGRATION"))
        qputenv("QT_XCB_GL_INTEGRATION", "none");

    QApplication application(argc, argv);
    QTranslator translator;
    translator.load(":/Tamblo/image/qt_zh_CN.qm", "", "", "");
    application.installTranslator(&translator);

    const std::unique_ptr<PlatformInput> platform = createSystemPlatform();
    QTamblo window(*platform);
    if (!window.captureStarted())
        return reportCaptureUnavailable(window.captureFailure());
    window.show();
    return application.exec();
}
