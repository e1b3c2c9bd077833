#pragma once

#include <QString>

// What the system says about a serial device, in the few questions the port
// rules ask before or after QSerialPort has tried it.
//
// On POSIX systems a port is a device node with permission bits, and a node
// may be there with no hardware behind it (DeviceAccess_posix.cpp). Windows
// keeps no rights on a COM port that a program could check beforehand, and
// its file functions do not see COM ports at all: QSerialPort's open tells
// a port that is not there ("not found") from one that another program
// holds ("access denied") (DeviceAccess_windows.cpp).
class DeviceAccess
{
public:
    // `path` names something to open.
    static bool exists(const QString &path);

    // The device itself, links followed, so that the lock file and the
    // exclusive open are the same however it is named; empty when it is not
    // there.
    static QString realPath(const QString &path);

    // This user may open `path` for reading and writing, as far as the
    // system tells beforehand.
    static bool mayReadAndWrite(const QString &path);

    // The device is there but this user may not open it for reading and
    // writing (not in the group that owns it, usually dialout).
    static bool refusesThisUser(const QString &path);

    // `path` is a device node with no device behind it: opening it fails
    // with EIO, ENXIO or ENODEV, as /dev/ttyS1 does on a PC without a
    // second UART.
    static bool hasNoDevice(const QString &path);

    // `path` is a character device (a serial port, a pseudo-terminal).
    static bool isCharacterDevice(const QString &path);
};
