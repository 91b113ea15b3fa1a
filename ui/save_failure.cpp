#include "ui/save_failure.h"

#include <QCoreApplication>

#include "system/file_replace.h"

namespace {

QString causeText(FileFailureCause cause)
{
    switch (cause) {
    case FileFailureCause::NoPermission:
        return QCoreApplication::translate("QTamblo", "没有写入权限");
    case FileFailureCause::DiskFull:
        return QCoreApplication::translate("QTamblo", "磁盘空间已满");
    case FileFailureCause::NoSuchFolder:
        return QCoreApplication::translate("QTamblo", "文件夹不存在");
    case FileFailureCause::ReadOnlyFileSystem:
        return QCoreApplication::translate("QTamblo", "文件系统为只读");
    case FileFailureCause::FileTooLarge:
        return QCoreApplication::translate("QTamblo", "文件过大");
    case FileFailureCause::QuotaExceeded:
        return QCoreApplication::translate("QTamblo", "超出磁盘配额");
    case FileFailureCause::Other:
        break;
    }
    return QString();
}

}  // namespace

QString describeSaveFailure(const FileFailure& failure)
{
    // Without a system text the step itself is all there is to say (for example no file name).
    const QString system = QString::fromStdString(failure.systemText.empty() ? failure.step : failure.systemText);
    const QString cause = causeText(failure.cause);
    if (cause.isEmpty())
        return system;
    return cause + QStringLiteral("（") + system + QStringLiteral("）");
}
