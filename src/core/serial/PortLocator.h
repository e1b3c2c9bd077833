#pragma once

#include "serial/PortEntry.h"
#include "toolkit/Platform.h"

#include <QString>

// Finds the device behind a COM port number.
//
// On Windows port n is COM<n>, the name QSerialPort opens there. Elsewhere
// a symbolic link named com<n> in the executable's folder names the device,
// as Wine's dosdevices do, so
//     ln -s /dev/serial/by-id/usb-FTDI_...-if00-port0 com3
// makes port 3 that adapter. Without such a link, port n is /dev/ttyS<n-1>.
class PortLocator
{
public:
    struct Location
    {
        QString path;     // what to open; empty when a com<n> link dangles
        QString linkPath; // the com<n> link that named it, if any
    };

    static Location locate(int portNumber, const QString &linkDirectory, Platform platform = ThisPlatform);

    // In words, the device that port n reaches, or that it reaches none.
    static QString describe(int portNumber, const QString &linkDirectory, Platform platform = ThisPlatform);

    // True when port n reaches `entry` of the port list: by the entry's own
    // number on Windows, elsewhere when both lead to the same device.
    static bool reaches(int portNumber, const PortEntry &entry, const QString &linkDirectory,
                        Platform platform = ThisPlatform);
};
