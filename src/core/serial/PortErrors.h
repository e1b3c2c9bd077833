#pragma once

#include <QSerialPort>
#include <QString>

// The error numbers the status line shows for what QSerialPort reports:
// when a port will not open, and when an open port fails by itself.
class PortErrors
{
public:
    // `path` is the device that would not open: what Qt reports alike (a
    // held lock, someone else's exclusive open, a lack of rights, a node
    // with no hardware behind it) is told apart there.
    static int whenOpening(QSerialPort::SerialPortError error, const QString &path);
    static int whenOpen(QSerialPort::SerialPortError error);
    // What to do about a port this user may not open; `oneLine` for a
    // message on a terminal, else the command on a line of its own.
    static QString dialoutAdvice(bool oneLine);
};
