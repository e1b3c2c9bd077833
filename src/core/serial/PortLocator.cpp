#include "serial/PortLocator.h"

#include <QDir>
#include <QFileInfo>

PortLocator::Location PortLocator::locate(int portNumber, const QString &linkDirectory, Platform platform)
{
    Location where;
    if (platform == Platform::Windows) {
        where.path = QStringLiteral("COM%1").arg(portNumber);
        return where;
    }
    const QString link = QDir(linkDirectory).filePath(QStringLiteral("com%1").arg(portNumber));
    const QFileInfo info(link);
    if (info.isSymLink() || info.exists()) {
        where.linkPath = link;
        // The real device, so that the lock file and the exclusive open are
        // the same however many links or by-id names point at it.
        where.path = info.canonicalFilePath();
    } else {
        where.path = QStringLiteral("/dev/ttyS%1").arg(portNumber - 1);
    }
    return where;
}

QString PortLocator::describe(int portNumber, const QString &linkDirectory, Platform platform)
{
    const Location where = locate(portNumber, linkDirectory, platform);
    const QString port = QStringLiteral("COM %1").arg(portNumber);
    if (platform == Platform::Windows)
        return QStringLiteral("%1 is the port Windows calls %2.").arg(port, where.path);
    if (where.linkPath.isEmpty()) {
        const QString why = QStringLiteral("there is no link com%1 beside the program").arg(portNumber);
        if (QFileInfo::exists(where.path))
            return QStringLiteral("%1 reaches %2 (%3).").arg(port, where.path, why);
        return QStringLiteral("%1 reaches no device: %2, and there is no %3.").arg(port, why, where.path);
    }
    const QString target = QFileInfo(where.linkPath).symLinkTarget();
    if (where.path.isEmpty() || !QFileInfo::exists(where.path))
        return QStringLiteral("%1 reaches no device: %2 points to %3, which is not there.").arg(port, where.linkPath, target);
    if (target == where.path)
        return QStringLiteral("%1 reaches %2 through %3.").arg(port, where.path, where.linkPath);
    return QStringLiteral("%1 reaches %2 through %3, which points to %4.").arg(port, where.path, where.linkPath, target);
}

bool PortLocator::reaches(int portNumber, const PortEntry &entry, const QString &linkDirectory, Platform platform)
{
    if (platform == Platform::Windows)
        return entry.portNumber == portNumber;
    const QString device = QFileInfo(entry.systemPath).canonicalFilePath();
    return !device.isEmpty() && device == locate(portNumber, linkDirectory, platform).path;
}
