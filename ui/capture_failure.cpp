#include "ui/capture_failure.h"

#include <QCoreApplication>
#include <QMessageBox>

#include "ui/capture_requirements.h"
#include "ui/window_title.h"

int reportCaptureUnavailable(const std::string& reason)
{
    const QString text = captureRequirements() + QLatin1Char('\n')
        + QCoreApplication::translate("QTamblo", "原因：") + QString::fromStdString(reason)
        + QLatin1Char('\n') + QCoreApplication::translate("QTamblo", "程序将退出。");
    QMessageBox::critical(nullptr, QCoreApplication::translate("QTamblo", kWindowTitle), text);
    return 1;
}
