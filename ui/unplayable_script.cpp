#include "ui/unplayable_script.h"

#include <QCoreApplication>
#include <QFileInfo>

#include "script/script_file.h"

namespace {

QString tr(const char* text)
{
    return QCoreApplication::translate("QTamblo", text);
}

// The reader's reason is the system's text; what the user can do about it is said here.
QString unreadableText(const QString& path, const std::string& problem)
{
    const QFileInfo file(path);
    QString why;
    if (!file.exists())
        why = tr("文件不存在");
    else if (file.isDir())
        why = tr("这是一个文件夹，不是脚本文件");
    else if (!file.isFile())
        why = tr("这不是普通文件");
    else if (!file.isReadable())
        why = tr("没有读取权限");
    else
        why = tr("读取出错");
    return tr("无法读取脚本：%1\n%2（%3）").arg(path, why, QString::fromStdString(problem));
}

}  // namespace

QString lineFaultText(const LineReading& reading, const QString& keyword)
{
    const QString field = QString::number(reading.field);
    switch (reading.fault) {
    case LineFault::None:
        return QString();
    case LineFault::BlankLine:
        return tr("只有空白的行不是注释");
    case LineFault::BlankBeforeComment:
        return tr("“#”前有空白（注释须在第一列以 # 开头）");
    case LineFault::BlankBeforeKeyword:
        return tr("关键字前有空白");
    case LineFault::NoKeyword:
        return tr("第一个“:”前没有关键字");
    case LineFault::UnknownKeyword:
        return tr("未知的关键字 %1").arg(keyword);
    case LineFault::PauseFields:
        return tr("暂停行需要恰好五个数字（SLEEP:毫秒:a:b:x:y）");
    case LineFault::ButtonFields:
        return tr("鼠标按键行需要 x 和 y");
    case LineFault::KeyFields:
        return tr("键盘行需要 x、y 和虚拟键码");
    case LineFault::PointerFields:
        return tr("指针行需要 x 和 y");
    case LineFault::WheelFields:
        return tr("滚轮行需要 x、y 和滚动量（一格为 120，负数为反方向）");
    case LineFault::WheelDeltaZero:
        return tr("滚动量为 0，不会滚动");
    case LineFault::SideButtonFields:
        return tr("侧键行需要 x、y 和侧键编号：1（后退）或 2（前进）");
    case LineFault::SideButtonNumber:
        return tr("侧键 %1 不存在：1 为后退，2 为前进").arg(reading.event.value);
    case LineFault::WaitFields:
        return tr("等色行需要 x、y、颜色、容差和超时（WAITCOLOR:x:y:颜色:容差:毫秒）");
    case LineFault::WaitColourRange:
        return tr("颜色须为十进制写的 0xRRGGBB，即 0 到 16777215");
    case LineFault::WaitToleranceRange:
        return tr("容差须为 0 到 255（红、绿、蓝每个通道允许的最大差值）");
    case LineFault::WaitTimeoutNegative:
        return tr("超时须为 0 或更多毫秒");
    case LineFault::NoDigits:
        return tr("第 %1 个字段中没有数字").arg(field);
    case LineFault::OutOfRange:
        return tr("第 %1 个字段的数字超出 32 位整数范围").arg(field);
    }
    return QString();
}

QString describeUnplayableScript(const QString& path, const ScriptFileResult& result)
{
    if (result.verdict == ScriptFileResult::Verdict::Unreadable)
        return unreadableText(path, result.problem);
    const std::string& line = result.refusedText;
    const QString keyword = QString::fromStdString(quotedScriptText(line.substr(0, line.find(':'))));
    return tr("脚本有误，无法播放：%1\n第 %2 行：%3\n%4")
        .arg(path, QString::number(result.refusedLine), QString::fromStdString(quotedScriptText(line)),
             lineFaultText(result.refusal, keyword));
}

QString describeMissingColour(const QString& path, std::size_t line, const InputEvent& wait,
                              const std::optional<std::uint32_t>& seen)
{
    const QString saw = seen ? tr("看到的是 %1").arg(QString::fromStdString(colourText(*seen)))
                             : tr("该处屏幕无法读取");
    return tr("等待的颜色没有出现，播放已停止：%1\n第 %2 行：在 %3,%4 等待 %5（容差 %6）%7 毫秒\n%8")
        .arg(path, QString::number(line), QString::number(static_cast<std::int16_t>(wait.x)),
             QString::number(static_cast<std::int16_t>(wait.y)), QString::fromStdString(colourText(waitColour(wait))),
             QString::number(wait.code), QString::number(static_cast<std::uint32_t>(wait.value)), saw);
}
