#include "ui/capture_requirements.h"

#include <QCoreApplication>

QString captureRequirements()
{
    return QCoreApplication::translate(
        "QTamblo", "无法监听全局鼠标和键盘：需要一个 X11 图形显示，并且该显示支持 RECORD 和 XTEST 扩展。");
}
