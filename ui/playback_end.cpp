#include "ui/playback_end.h"

#include <QCoreApplication>

namespace {

QString tr(const char* text)
{
    return QCoreApplication::translate("QTamblo", text);
}

QString why(PassEnd end)
{
    switch (end) {
    case PassEnd::ElevatedTarget:
        return tr("目标窗口以管理员身份运行，不接受 tamblo 发送的输入。请以管理员身份运行 tamblo 后再播放。");
    case PassEnd::LockedDesktop:
        return tr("屏幕已锁定或切换到了其他用户，此时任何程序都无法发送输入。");
    case PassEnd::Suspended:
        return tr("电脑进入了睡眠。");
    case PassEnd::PointerNotMoved:
        return tr("无法把鼠标指针移到该事件的位置。");
    case PassEnd::InputRefused:
        return tr("系统拒绝了该事件的输入。");
    default:
        return tr("该事件无法播放。");
    }
}

}  // namespace

QString describePlaybackEnd(PassEnd end, std::size_t event, std::size_t events)
{
    if (passCompleted(end))
        return tr("脚本播放结束");
    return tr("播放已停止，停在第 %1 个事件（共 %2 个）：%3")
        .arg(QString::number(event), QString::number(events), why(end));
}
