#pragma once

#include "serial/PortEntry.h"

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

    // The ports the system knows (QSerialPortInfo), then the devices that
    // com<n> links in `linkDirectory` reach and the system does not list
    // as serial ports (pseudo-terminals, network bridges), each once.
    static QList<PortEntry> available(const QString &linkDirectory, const Folders &folders = {});

    // The first name in by-id, then in by-path, that leads to the same
    // device as `devicePath`; `devicePath` itself when there is none.
    static QString stableNameOf(const QString &devicePath, const Folders &folders = {});

    // One line of the list: description and maker, serial number, kernel
    // name and the stable name.
    static QString entryText(const PortEntry &entry);
    static QString emptyText();

    // True when the device is there but this user may not open it for
    // reading and writing (not in the group that owns it, usually dialout).
    static bool refusesThisUser(const QString &devicePath);
};
