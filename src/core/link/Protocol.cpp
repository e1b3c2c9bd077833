#include "link/Protocol.h"

#include "serial/CommError.h"

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
