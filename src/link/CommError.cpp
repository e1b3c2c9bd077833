#include "CommError.h"

CommError::CommError(int number, const QString &detail)
    : std::runtime_error(QStringLiteral("%1: %2").arg(number).arg(detail).toStdString())
    , m_number(number)
    , m_detail(detail)
{
}

QString CommError::describe(int number)
{
    switch (number) {
    case InvalidPropertyValue:
        return QStringLiteral("Invalid property value");
    case NotValidWhileOpen:
        return QStringLiteral("Operation not valid while the port is open");
    case InvalidPortNumber:
        return QStringLiteral("Invalid port number");
    case PortAlreadyOpen:
        return QStringLiteral("Port already open");
    case PermissionDenied:
        return QStringLiteral("Permission denied");
    case DeviceGone:
        return QStringLiteral("The device has gone away");
    case SettingsNotApplied:
        return QStringLiteral("Could not set the line settings");
    case PortNotOpen:
        return QStringLiteral("Operation valid only when the port is open");
    case ReadFailed:
        return QStringLiteral("Error reading from the device");
    case WriteFailed:
        return QStringLiteral("Error writing to the device");
    default:
        return QStringLiteral("Unknown serial port error");
    }
}
