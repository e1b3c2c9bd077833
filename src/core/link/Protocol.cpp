#include "link/Protocol.h"

#include "serial/CommError.h"

#include <QStringList>

#include <cmath>

QString Protocol::searchRequest(const QString &deviceId)
{
    return CR + deviceId + QStringLiteral("BS?") + CR;
}

QString Protocol::setDuty(const QString &deviceId, int percent)
{
    return dutyPrefix(deviceId) + QString::number(percent);
}

QString Protocol::dutyReadback()
{
    return QStringLiteral("PV1?");
}

QString Protocol::setFrequency(const QString &deviceId, int index)
{
    return frequencyPrefix(deviceId) + QString::number(index);
}

QString Protocol::queryDuty(const QString &deviceId)
{
    return deviceId + QStringLiteral("SV1");
}

QString Protocol::queryFrequency(const QString &deviceId)
{
    return deviceId + QStringLiteral("SV2");
}

QString Protocol::poll(const QString &deviceId)
{
    return deviceId + QStringLiteral("PV1");
}

QString Protocol::dutyPrefix(const QString &deviceId)
{
    return deviceId + QStringLiteral("SV1=");
}

QString Protocol::frequencyPrefix(const QString &deviceId)
{
    return deviceId + QStringLiteral("SV2=");
}

QString Protocol::receivedStatus(int commPort, const QString &baudRate, const QString &line)
{
    return receivedStatusPrefix(commPort, baudRate) + line;
}

QString Protocol::receivedStatusPrefix(int commPort, const QString &baudRate)
{
    return QStringLiteral("COM:") + QString::number(commPort) + QStringLiteral(" Baud:") + baudRate
        + QStringLiteral(" COM data: ");
}

QString Protocol::pollStatus(int sampleTime, int pollCount)
{
    return QStringLiteral("STime:") + QString::number(sampleTime) + QStringLiteral(" STimer:")
        + QString::number(pollCount);
}

QString Protocol::portErrorStatus(int errorNumber)
{
    switch (errorNumber) {
    case CommError::InvalidPortNumber:
        return QStringLiteral("Invalid Port Number!");
    case CommError::PortAlreadyOpen:
        return QStringLiteral("Port already open!");
    default:
        return QStringLiteral("COM Port comm-error! ") + QString::number(errorNumber);
    }
}

QString Protocol::frequencyText(int index)
{
    return index >= 1 && index <= 7 ? QString::number(FrequencyHz[std::size_t(index)], 'g', 6) : QString();
}

QString Protocol::frequencyList()
{
    QStringList texts;
    for (int k = 1; k <= 6; ++k)
        texts << frequencyText(k);
    return texts.join(QStringLiteral(", ")) + QStringLiteral(" and ") + frequencyText(7) + QStringLiteral(" Hz");
}

int Protocol::frequencyIndexNear(double hz)
{
    for (int k = 1; k <= 7; ++k) {
        if (std::abs(hz - FrequencyHz[std::size_t(k)]) <= FrequencyHz[std::size_t(k)] / 100)
            return k;
    }
    return 0;
}
