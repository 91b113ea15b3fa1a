#include <QApplication>
#include <QTranslator>

#include <memory>

#include "platform/system_platform.h"
#include "ui/capture_failure.h"
#include "ui/qtamblo.h"

int main(int argc, char** argv)
{
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
