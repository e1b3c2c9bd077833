#pragma once

#include "serial/PortEntry.h"
#include "toolkit/Platform.h"

// Where udev keeps the names of serial devices that survive replugging and
// rebooting.
struct StableNameFolders
{
    QString byId = QStringLiteral("/dev/serial/by-id");
    QString byPath = QStringLiteral("/dev/serial/by-path");
};

// The serial ports of this machine, for the operator to choose from.
class PortCatalog
{
public:
    using Folders = StableNameFolders;

    // This machine's list: listFor() on systemPorts().
    static QList<PortEntry> available(const QString &linkDirectory, const Folders &folders = {});

    // The ports the system knows (QSerialPortInfo), without stable names.
    static QList<PortEntry> systemPorts();

    // The list made of `system` by the rules of `platform`. POSIX: each
    // port with its stable name, then the devices that com<n> links in
    // `linkDirectory` reach and the system does not list as serial ports
    // (pseudo-terminals, network bridges), each once. Windows: the ports
    // named COM1 to COM255, in number order, each with its number; there
    // are no links.
    static QList<PortEntry> listFor(const QList<PortEntry> &system, const QString &linkDirectory, Platform platform,
                                    const Folders &folders = {});

    // The first name in by-id, then in by-path, that leads to the same
    // device as `devicePath`; `devicePath` itself when there is none.
    static QString stableNameOf(const QString &devicePath, const Folders &folders = {});

    // One line of the list: description and maker, serial number, kernel
    // name and the stable name (where it is another name).
    static QString entryText(const PortEntry &entry);
    static QString emptyText();
    // What choosing from the list does, for the list's button.
    static QString chooserTip(Platform platform = ThisPlatform);
};
