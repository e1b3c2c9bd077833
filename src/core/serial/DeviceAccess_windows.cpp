#include "serial/DeviceAccess.h"

// Windows says nothing of a COM port before it is opened, and QSerialPort
// reports what the open found: a port that is not there as "not found", one
// that another program holds as "access denied".

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
