#include "ui/capture_failure.h"

#include <QCoreApplication>
#include <QMessageBox>

#include "ui/window_title.h"

namespace {

// What the system needs for global capture, in the user's words.
QString captureRequirements()
{
#ifdef Q_OS_WIN
    return QCoreApplication::translate("QTamblo", "无法安装全局鼠标和键盘钩子。");
#else
    return QCoreApplication::translate(
        "QTamblo", "无法监听全局鼠标和键盘：需要一个 X11 图形显示，并且该显示支持 RECORD 和 XTEST 扩展。");
#endif
}

}  // namespace

int reportCaptureUnavailable(const std::string& reason)
{
    const QString text = captureRequirements() + QLatin1Char('\n')
        + QCoreApplication::translate("QTamblo", "原因：") + QString::fromStdString(reason)
        + QLatin1Char('\n') + QCoreApplication::translate("QTamblo", "程序将退出。");
    QMessageBox::critical(nullptr, QCoreApplication::translate("QTamblo", kWindowTitle), text);
    return 1;
}
