#pragma once

#include <QSerialPort>
#include <QString>

#include <optional>

// The serial component's line settings string, "baud,parity,data,stop"
// (for example 9600,N,8,1 or 9600,n,8,1).
//
// baud: a whole number from 1 to 4000000; parity: N, E, O, M or S in either
// case; data bits: 5 to 8; stop bits: 1, 1.5 or 2. No blanks. Anything else
// is refused.
struct LineSettings
{
    qint32 baud = 9600;
    QSerialPort::Parity parity = QSerialPort::NoParity;
    QSerialPort::DataBits dataBits = QSerialPort::Data8;
    QSerialPort::StopBits stopBits = QSerialPort::OneStop;

    static std::optional<LineSettings> parse(const QString &text);

    // The string the tool always uses: the baud rate, no parity, 8 data
    // bits, 1 stop bit ("9600,N,8,1").
    static QString forBaudRate(const QString &baudRate);
};
