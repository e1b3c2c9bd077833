#include "scpi/ErrorQueue.h"

QString ErrorQueue::text(int code)
{
    switch (code) {
    case 0: return QStringLiteral("No error");
    case -104: return QStringLiteral("Data type error");
    case -108: return QStringLiteral("Parameter not allowed");
    case -109: return QStringLiteral("Missing parameter");
    case -113: return QStringLiteral("Undefined header");
    case -222: return QStringLiteral("Data out of range");
    case -230: return QStringLiteral("Data corrupt or stale");
    case -240: return QStringLiteral("Hardware error");
    case -350: return QStringLiteral("Queue overflow");
    case -363: return QStringLiteral("Input buffer overrun");
    default: return QStringLiteral("Error");
    }
}

void ErrorQueue::push(int code, const QString &detail)
{
    if (m_errors.size() >= Capacity) {
        m_errors.back() = QStringLiteral("-350,\"Queue overflow\"");
        return;
    }
    // A SCPI string doubles its quotes.
    QString message = text(code);
    if (!detail.isEmpty())
        message += QStringLiteral("; ") + detail;
    m_errors.push_back(QString::number(code) + QStringLiteral(",\"") + message.replace(u'"', QStringLiteral("\"\""))
                       + u'"');
}

QString ErrorQueue::next()
{
    if (m_errors.empty())
        return QStringLiteral("0,\"No error\"");
    QString oldest = m_errors.front();
    m_errors.pop_front();
    return oldest;
}
