#include "log/LocalStamp.h"

#include <QDateTime>

#include <cstdlib>

void LocalStamp::append(QByteArray &out)
{
    append(out, QDateTime::currentMSecsSinceEpoch());
}

void LocalStamp::append(QByteArray &out, qint64 msSinceEpoch)
{
    const qint64 second = msSinceEpoch / 1000;
    if (second != m_second) {
        const QDateTime local = QDateTime::fromSecsSinceEpoch(second);
        m_seconds = local.toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss")).toLatin1();
        const int minutes = local.offsetFromUtc() / 60;
        const int east = std::abs(minutes);
        const char offset[] = {minutes < 0 ? '-' : '+', char('0' + east / 600), char('0' + east / 60 % 10), ':',
                               char('0' + east % 60 / 10), char('0' + east % 10)};
        m_offset = QByteArray(offset, sizeof offset);
        m_second = second;
    }
    const int ms = int(msSinceEpoch % 1000);
    out.append(m_seconds);
    const char fraction[] = {'.', char('0' + ms / 100), char('0' + ms / 10 % 10), char('0' + ms % 10)};
    out.append(fraction, sizeof fraction);
    out.append(m_offset);
}
