#include "ui/desktop_limitation.h"

#include <QCoreApplication>
#include <QMessageBox>

#include <string>

#include "system/session.h"
#include "ui/window_title.h"

std::string displayProblemText(const DisplayState& display)
{
    switch (display.problem) {
    case DisplayState::Problem::Usable:
        break;
    case DisplayState::Problem::NotNamed:
        return "tamblo: 没有 X 显示：环境变量 " + display.variable + " 未设置。\ntamblo: no X display: the "
               + display.variable + " environment variable is not set.\n";
    case DisplayState::Problem::CannotOpen:
        return "tamblo: 无法打开 X 显示“" + display.name + "”（该显示上没有服务器，或不允许连接）。\ntamblo: cannot open "
               "the X display \"" + display.name + "\" (no server there, or not allowed).\n";
    }
    return {};
}

void announceDesktopLimitation(QWidget* parent)
{
    if (desktopLimitation() != DesktopLimitation::WaylandSession)
        return;
    QMessageBox::information(parent, QCoreApplication::translate("QTamblo", kWindowTitle),
                             QCoreApplication::translate(
                                 "QTamblo", "当前是 Wayland 桌面会话：只能录制和回放 X11 程序窗口里的操作，在其他程序里的点击不会被录下。"
                                            "要在所有程序里使用，请注销，在登录界面选择 X11 会话（名称中带“Xorg”的会话）后重新登录。"),
                             QMessageBox::Ok, QMessageBox::NoButton);
}
