#include "ui/capture_requirements.h"

#include <QCoreApplication>

QString captureRequirements()
{
    return QCoreApplication::translate("QTamblo", "无法安装全局鼠标和键盘钩子。");
}
