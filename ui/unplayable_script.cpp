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

QString lineFaultText(const Refusal& refusal)
{
    const auto chinese = [&refusal](const Wording* words) {
        return words ? QString::fromStdString(filledIn(tr(words->chinese).toStdString(), refusal)) : QString();
    };
    return chinese(refusal.reason) + chinese(refusal.hint);
}

QString describeUnplayableScript(const QString& path, const ScriptFileResult& result)
{
    if (result.verdict == ScriptFileResult::Verdict::Unreadable)
        return unreadableText(path, result.problem);
    const std::string& line = result.refusedText;
    return tr("脚本有误，无法播放：%1\n第 %2 行：%3\n%4")
        .arg(path, QString::number(result.refusedLine), QString::fromStdString(quotedScriptText(line)),
             lineFaultText(ScriptCodec().refusalOf(result.refusal, line)));
}

QString describeMissingColour(const QString& path, std::size_t line, const InputEvent& wait,
                              const std::optional<std::uint32_t>& seen)
{
    const QString saw = seen ? tr("看到的是 %1").arg(QString::fromStdString(colourText(*seen)))
                             : tr("该处屏幕无法读取");
    const ScreenPoint at = screenPosition(wait);
    return tr("等待的颜色没有出现，播放已停止：%1\n第 %2 行：在 %3,%4 等待 %5（容差 %6）%7 毫秒\n%8")
        .arg(path, QString::number(line), QString::number(at.x), QString::number(at.y),
             QString::fromStdString(colourText(waitColour(wait))),
             QString::number(wait.code), QString::number(static_cast<std::uint32_t>(wait.value)), saw);
}
