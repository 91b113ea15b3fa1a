#include "ui/capture_failure.h"

#include <QCoreApplication>
#include <QMessageBox>

#include "ui/capture_requirements.h"
#include "ui/window_title.h"

namespace {

QString chineseCaptureFailure(const CaptureFailure& failure)
{
    const QString detail = QString::fromStdString(failure.detail);
    const auto words = [](const char* text) { return QCoreApplication::translate("QTamblo", text); };
    switch (failure.cause) {
    case CaptureFailure::Cause::NoDisplay:
        return words("没有 X 显示：环境变量 DISPLAY 未设置。");
    case CaptureFailure::Cause::DisplayUnreachable:
        return words("无法打开 X 显示“%1”。").arg(detail);
    case CaptureFailure::Cause::NoRecordExtension:
        return words("X 显示“%1”没有录制输入所需的 RECORD 扩展。").arg(detail);
    case CaptureFailure::Cause::NoTestExtension:
        return words("X 显示“%1”没有回放输入所需的 XTEST 扩展。").arg(detail);
    case CaptureFailure::Cause::NoFurtherConnections:
        return words("无法再打开到 X 显示“%1”的连接。").arg(detail);
    case CaptureFailure::Cause::RecordingRefused:
        return words("X 显示“%1”拒绝录制输入。").arg(detail);
    case CaptureFailure::Cause::OutOfMemory:
        return words("准备录制输入时内存不足。");
    case CaptureFailure::Cause::MouseNotWatched:
        return words("无法监听鼠标：%1").arg(detail);
    case CaptureFailure::Cause::KeyboardNotWatched:
        return words("无法监听键盘：%1").arg(detail);
    }
    return words("无法监听鼠标和键盘。");
}

}  // namespace

int reportCaptureUnavailable(const CaptureFailure& failure)
{
    const QString text = captureRequirements() + QLatin1Char('\n')
        + QCoreApplication::translate("QTamblo", "原因：") + chineseCaptureFailure(failure)
        + QLatin1Char('\n') + QCoreApplication::translate("QTamblo", "程序将退出。");
    QMessageBox::critical(nullptr, QCoreApplication::translate("QTamblo", kWindowTitle), text);
    return 1;
}
