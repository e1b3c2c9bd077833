#include "serial/LineSettings.h"

#include <QStringList>

namespace {

std::optional<QSerialPort::Parity> parityOf(const QString &letter)
{
    if (letter.size() != 1)
        return std::nullopt;
    switch (letter.at(0).toUpper().unicode()) {
    case u'N':
        return QSerialPort::NoParity;
    case u'E':
        return QSerialPort::EvenParity;
    case u'O':
        return QSerialPort::OddParity;
    case u'M':
        return QSerialPort::MarkParity;
    case u'S':
        return QSerialPort::SpaceParity;
    default:
        return std::nullopt;
    }
}

bool allDigits(const QString &text)
{
    if (text.isEmpty() || text.size() > 9)
        return false;
    for (QChar c : text) {
        if (c < u'0' || c > u'9')
            return false;
    }
    return true;
}

} // namespace

QString LineSettings::forBaudRate(const QString &baudRate)
{
    return baudRate + QStringLiteral(",N,8,1");
}

std::optional<LineSettings> LineSettings::parse(const QString &text)
{
    const QStringList parts = text.split(u',');
    if (parts.size() != 4 || !allDigits(parts[0]))
        return std::nullopt;

    LineSettings s;
    const int baud = parts[0].toInt();
    if (baud < 1 || baud > 4'000'000)
        return std::nullopt;
    s.baud = baud;

    const auto parity = parityOf(parts[1]);
    if (!parity)
        return std::nullopt;
    s.parity = *parity;

    if (parts[2] == u"5")
        s.dataBits = QSerialPort::Data5;
    else if (parts[2] == u"6")
        s.dataBits = QSerialPort::Data6;
    else if (parts[2] == u"7")
        s.dataBits = QSerialPort::Data7;
    else if (parts[2] == u"8")
        s.dataBits = QSerialPort::Data8;
    else
        return std::nullopt;

    if (parts[3] == u"1")
        s.stopBits = QSerialPort::OneStop;
    else if (parts[3] == u"1.5")
        s.stopBits = QSerialPort::OneAndHalfStop;
    else if (parts[3] == u"2")
        s.stopBits = QSerialPort::TwoStop;
    else
        return std::nullopt;
    return s;
}
