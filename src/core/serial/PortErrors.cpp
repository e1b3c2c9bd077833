#include "serial/PortErrors.h"

#include "serial/CommError.h"
#include "serial/DeviceAccess.h"

int PortErrors::whenOpening(QSerialPort::SerialPortError error, const QString &path)
{
    switch (error) {
    case QSerialPort::DeviceNotFoundError:
        return CommError::InvalidPortNumber;
    case QSerialPort::PermissionError:
    case QSerialPort::OpenError:
        // A held lock file, an exclusive open by someone else and a plain
        // lack of rights look alike; the rights tell the last one apart.
        if (!DeviceAccess::mayReadAndWrite(path))
            return CommError::PermissionDenied;
        return CommError::PortAlreadyOpen;
    case QSerialPort::ResourceError:
        // A node with no hardware behind it (a UART that is not fitted) is
        // a port that does not exist.
        return DeviceAccess::hasNoDevice(path) ? CommError::InvalidPortNumber : CommError::DeviceGone;
    case QSerialPort::UnsupportedOperationError:
        return CommError::SettingsNotApplied;
    default:
        return CommError::Unknown;
    }
}

QString PortErrors::dialoutAdvice(bool oneLine)
{
    return QStringLiteral("Usually this means that your user is not in the dialout group. Add it with%1"
                          "sudo adduser $USER dialout%2then log out and log in again.")
        .arg(oneLine ? QStringLiteral(": ") : QStringLiteral("\n\n    "), oneLine ? QStringLiteral(", ") : QStringLiteral("\n\n"));
}

int PortErrors::whenOpen(QSerialPort::SerialPortError error)
{
    switch (error) {
    case QSerialPort::ReadError:
        return CommError::ReadFailed;
    case QSerialPort::WriteError:
        return CommError::WriteFailed;
    default:
        return CommError::DeviceGone;
    }
}
