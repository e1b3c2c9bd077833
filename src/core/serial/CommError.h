#pragma once

#include <QString>

#include <stdexcept>

// A failing operation of the serial component. Carries the error number
// that the status line shows; the numbers follow the classic serial
// communications control where one exists. The README lists them all.
class CommError : public std::runtime_error
{
public:
    enum Number : int {
        InvalidPropertyValue = 380,  // Settings string refused
        NotValidWhileOpen = 8000,    // CommPort changed while the port is open
        InvalidPortNumber = 8002,    // port number out of 1..255, or no such device
        PortAlreadyOpen = 8005,      // held by another program, or opened twice
        PermissionDenied = 8010,     // no read/write access to the device
        DeviceGone = 8012,           // the device went away (unplugged adapter)
        SettingsNotApplied = 8015,   // the device refused the line settings
        PortNotOpen = 8018,          // output while the port is closed
        ReadFailed = 8020,           // reading from the device failed
        WriteFailed = 8021,          // writing to the device failed
        Unknown = 8099,              // any other failure the system reports
    };

    // `reason` says what failed, in the system's words, for a log or the
    // command line.
    CommError(int number, const QString &reason);

    int number() const noexcept { return m_number; }
    const QString &reason() const noexcept { return m_reason; }

private:
    int m_number;
    QString m_reason;
};
