#include "serial/PortCatalog.h"

#include "serial/DeviceAccess.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSerialPortInfo>
#include <QSet>

#include <algorithm>

namespace {

PortEntry entryFor(const QString &devicePath, const PortCatalog::Folders &folders)
{
    PortEntry e;
    e.systemPath = devicePath;
    e.kernelName = devicePath.startsWith(QLatin1String("/dev/")) ? devicePath.mid(5) : QFileInfo(devicePath).fileName();
    e.stableName = PortCatalog::stableNameOf(devicePath, folders);
    return e;
}

// n when `name` is `prefix` and n, for n from 1 to 255 written without
// leading zeros: only those names does a COM number reach. Else 0.
int portNumberIn(const QString &name, QLatin1String prefix)
{
    static const QRegularExpression number(QStringLiteral("^[1-9][0-9]{0,2}$"));
    const QString digits = name.mid(prefix.size());
    if (!name.startsWith(prefix) || !number.match(digits).hasMatch() || digits.toInt() > 255)
        return 0;
    return digits.toInt();
}

QList<PortEntry> posixList(const QList<PortEntry> &system, const QString &linkDirectory,
                           const PortCatalog::Folders &folders)
{
    QList<PortEntry> list;
    QSet<QString> seen;
    for (PortEntry e : system) {
        e.stableName = PortCatalog::stableNameOf(e.systemPath, folders);
        seen.insert(QFileInfo(e.systemPath).canonicalFilePath());
        list.append(e);
    }

    const QFileInfoList links = QDir(linkDirectory).entryInfoList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    for (const QFileInfo &link : links) {
        const QString device = link.canonicalFilePath();
        if (!link.isSymLink() || !portNumberIn(link.fileName(), QLatin1String("com")) || device.isEmpty()
            || seen.contains(device) || !DeviceAccess::isCharacterDevice(device))
            continue;
        PortEntry e = entryFor(device, folders);
        e.description = QStringLiteral("Linked as %1").arg(link.fileName());
        seen.insert(device);
        list.append(e);
    }
    return list;
}

QList<PortEntry> windowsList(const QList<PortEntry> &system)
{
    QList<PortEntry> list;
    for (PortEntry e : system) {
        e.portNumber = portNumberIn(e.kernelName, QLatin1String("COM"));
        e.stableName = e.kernelName;
        if (e.portNumber)
            list.append(e);
    }
    std::stable_sort(list.begin(), list.end(), [](const PortEntry &a, const PortEntry &b) { return a.portNumber < b.portNumber; });
    return list;
}

} // namespace

QList<PortEntry> PortCatalog::available(const QString &linkDirectory, const Folders &folders)
{
    return listFor(systemPorts(), linkDirectory, ThisPlatform, folders);
}

QList<PortEntry> PortCatalog::systemPorts()
{
    QList<PortEntry> ports;
    for (const QSerialPortInfo &info : QSerialPortInfo::availablePorts())
        ports.append({info.description(), info.manufacturer(), info.serialNumber(), info.portName(), info.systemLocation(), {}});
    return ports;
}

QList<PortEntry> PortCatalog::listFor(const QList<PortEntry> &system, const QString &linkDirectory, Platform platform,
                                      const Folders &folders)
{
    return platform == Platform::Windows ? windowsList(system) : posixList(system, linkDirectory, folders);
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
    QStringList parts{who, serial, e.kernelName};
    if (e.stableName != e.kernelName)
        parts << e.stableName;
    return parts.join(QStringLiteral("  \u2014  "));
}

QString PortCatalog::emptyText()
{
    return QStringLiteral("No serial ports found. Plug in the board, then open this list again.");
}

QString PortCatalog::chooserTip(Platform platform)
{
    if (platform == Platform::Windows)
        return QStringLiteral("The serial ports of this computer. The one you choose goes into the COM entry.");
    return QStringLiteral("The serial ports of this computer. The one you choose is linked "
                          "as the COM port of the COM entry when you press SAVE-CLOSE.");
}
