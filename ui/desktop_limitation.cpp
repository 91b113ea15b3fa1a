#include "ui/desktop_limitation.h"

#include <QCoreApplication>
#include <QMessageBox>

#include <string>

#include "system/session.h"
#include "ui/window_title.h"

void announceDesktopLimitation(QWidget* parent)
{
    std::string english;
    std::string chinese;
    if (!desktopLimitation(english, chinese))
        return;
    QMessageBox::information(parent, QCoreApplication::translate("QTamblo", kWindowTitle),
                             QString::fromStdString(chinese), QMessageBox::Ok, QMessageBox::NoButton);
}
