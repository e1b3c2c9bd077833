#pragma once

#include <QString>

// Finds the device behind a COM port number.
//
// On Windows port n is COM<n>. Elsewhere a symbolic link named com<n> in
// the executable's folder names the device, as Wine's dosdevices do, so
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

    static Location locate(int portNumber, const QString &linkDirectory);

    // In words, the device that port n reaches, or that it reaches none.
    static QString describe(int portNumber, const QString &linkDirectory);

    // True when `path` is a device node with no device behind it: opening
    // it fails with EIO, ENXIO or ENODEV, as /dev/ttyS1 does on a PC
    // without a second UART.
    static bool hasNoDevice(const QString &path);
};
