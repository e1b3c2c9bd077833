#include "serial/PortCatalog.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSerialPortInfo>
#include <QSet>

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

namespace {

PortEntry entryFor(const QString &devicePath, const PortCatalog::Folders &folders)
{
    PortEntry e;
    e.systemPath = devicePath;
    e.kernelName = devicePath.startsWith(QLatin1String("/dev/")) ? devicePath.mid(5) : QFileInfo(devicePath).fileName();
    e.stableName = PortCatalog::stableNameOf(devicePath, folders);
    return e;
}

// COM n looks up com<n> for n from 1 to 255, written without leading
// zeros: only those links name a port.
bool isPortLink(const QString &name)
{
    static const QRegularExpression linkName(QStringLiteral("^com([1-9][0-9]{0,2})$"));
    const QRegularExpressionMatch match = linkName.match(name);
    return match.hasMatch() && match.captured(1).toInt() <= 255;
}

bool isCharacterDevice(const QString &path)
{
    struct stat st{};
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 && S_ISCHR(st.st_mode);
}

} // namespace

QList<PortEntry> PortCatalog::available(const QString &linkDirectory, const Folders &folders)
{
    QList<PortEntry> list;
    QSet<QString> seen;
    for (const QSerialPortInfo &info : QSerialPortInfo::availablePorts()) {
        PortEntry e = entryFor(info.systemLocation(), folders);
        e.description = info.description();
        e.manufacturer = info.manufacturer();
        e.serialNumber = info.serialNumber();
        e.kernelName = info.portName();
        seen.insert(QFileInfo(e.systemPath).canonicalFilePath());
        list.append(e);
    }

    const QFileInfoList links = QDir(linkDirectory).entryInfoList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    for (const QFileInfo &link : links) {
        const QString device = link.canonicalFilePath();
        if (!link.isSymLink() || !isPortLink(link.fileName()) || device.isEmpty()
            || seen.contains(device) || !isCharacterDevice(device))
            continue;
        PortEntry e = entryFor(device, folders);
        e.description = QStringLiteral("Linked as %1").arg(link.fileName());
        seen.insert(device);
        list.append(e);
    }
    return list;
}

QString PortCatalog::stableNameOf(const QString &devicePath, const Folders &folders)
{
    const QString device = QFileInfo(devicePath).canonicalFilePath();
    for (const QString &folder : {folders.byId, folders.byPath}) {
        const QFileInfoList names = QDir(folder).entryInfoList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
        for (const QFileInfo &name : names) {
            if (name.isSymLink() && !device.isEmpty() && name.canonicalFilePath() == device)
                return name.absoluteFilePath();
        }
    }
    return devicePath;
}

QString PortCatalog::entryText(const PortEntry &e)
{
    QStringList maker;
    for (const QString &part : {e.description, e.manufacturer}) {
        if (!part.isEmpty())
            maker << part;
    }
    const QString who = maker.isEmpty() ? QStringLiteral("Unnamed device") : maker.join(QStringLiteral(", "));
    const QString serial = e.serialNumber.isEmpty() ? QStringLiteral("no serial number")
                                                    : QStringLiteral("serial ") + e.serialNumber;
    return QStringList{who, serial, e.kernelName, e.stableName}.join(QStringLiteral("  \u2014  "));
}

QString PortCatalog::emptyText()
{
    return QStringLiteral("No serial ports found. Plug in the board, then open this list again.");
}

bool PortCatalog::refusesThisUser(const QString &devicePath)
{
    if (::access(QFile::encodeName(devicePath).constData(), R_OK | W_OK) == 0)
        return false;
    return errno == EACCES || errno == EPERM;
}
