#include "serial/DeviceAccess.h"

// Windows says nothing of a COM port before it is opened (its file
// functions fail on device names), and QSerialPort reports what the open
// found: a port that is not there as "not found", one that another program
// holds as "access denied". COM3 and \\.\COM3 are the port's own names.

bool DeviceAccess::exists(const QString &)
{
    return true;
}

QString DeviceAccess::realPath(const QString &path)
{
    return path;
}

bool DeviceAccess::mayReadAndWrite(const QString &)
{
    return true;
}

bool DeviceAccess::refusesThisUser(const QString &)
{
    return false;
}

bool DeviceAccess::hasNoDevice(const QString &)
{
    return false;
}

// Only com<n> links lead to devices outside the system's list, and Windows
// has none.
bool DeviceAccess::isCharacterDevice(const QString &)
{
    return false;
}
