#pragma once

#include <QByteArray>

// Local time as ISO 8601 with milliseconds and the offset from UTC,
// "2026-12-07T14:03:21.517+01:00", for records of the bench. Logging a
// flood takes one stamp per line, so the date, the time of day and the
// offset are worked out once a second and only the milliseconds per call.
class LocalStamp
{
public:
    // Appends the stamp for now (or for `msSinceEpoch`) to `out`.
    void append(QByteArray &out);
    void append(QByteArray &out, qint64 msSinceEpoch);

private:
    qint64 m_second = -1; // the second m_seconds was made for
    QByteArray m_seconds; // "2026-12-07T14:03:21"
    QByteArray m_offset;  // "+01:00"
};
