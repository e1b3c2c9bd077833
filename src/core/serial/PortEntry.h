#pragma once

#include <QList>
#include <QString>

#include <functional>

// One serial port as the port list shows it.
struct PortEntry
{
    QString description;  // "FT232R USB UART"
    QString manufacturer; // "FTDI"
    QString serialNumber;
    QString kernelName; // "ttyUSB0"; "COM3" on Windows
    QString systemPath; // "/dev/ttyUSB0"; "\\.\COM3" on Windows
    QString stableName; // what a com<n> link points to: by-id, else by-path, else systemPath
    // The COM number the system gives the port itself (Windows), so that
    // choosing it sets the number; 0 where a com<n> link makes it one.
    int portNumber = 0;
};

// Produces the port list afresh, each time it is called.
using PortLister = std::function<QList<PortEntry>()>;
