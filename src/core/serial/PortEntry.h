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
    QString kernelName; // "ttyUSB0"
    QString systemPath; // "/dev/ttyUSB0"
    QString stableName; // what a com<n> link points to: by-id, else by-path, else systemPath
};

// Produces the port list afresh, each time it is called.
using PortLister = std::function<QList<PortEntry>()>;
