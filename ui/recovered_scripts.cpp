#include "ui/recovered_scripts.h"

#include <QCoreApplication>
#include <QMessageBox>
#include <QStringList>

#include "ui/window_title.h"

void announceRecoveredScripts(QWidget* parent, const std::vector<std::string>& paths)
{
    if (paths.empty())
        return;
    QStringList names;
    for (const std::string& path : paths)
        names << QString::fromUtf8(path.c_str());
    auto tr = [](const char* text) { return QCoreApplication::translate("QTamblo", text); };
    const QString text = tr("没有保存的录制已自动存入：") + QLatin1String("\n\n")
        + names.join(QLatin1Char('\n')) + QLatin1String("\n\n")
        + tr("可以用“播放脚本”打开它，或把它移到别处。移走或删除之前，每次启动都会提示。");
    QMessageBox::information(parent, tr(kWindowTitle), text, QMessageBox::Ok, QMessageBox::NoButton);
}
