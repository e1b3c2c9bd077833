#pragma once

#include "log/LocalStamp.h"

#include <QByteArray>
#include <QFile>
#include <QObject>
#include <QString>
#include <QStringView>

// A record of the bench: every line sent to the board and every line
// received from it, one per line of a text file,
//
//     2026-12-07T14:03:21.517+01:00 tx 1SV1=50
//     2026-12-07T14:03:21.539+01:00 rx 1SV1=50
//
// with the local time to the millisecond, the direction and the line's text
// in UTF-8, control characters and backslashes escaped (\r, \n, \t, \\,
// \xHH), so that one log line is always one line of the file.
//
// The file is appended to. Received lines are gathered while a receive
// event runs and written with one write at its end (flush()); a sent line
// is written at once. Nothing waits in the process after that, so a crash
// of the tool loses nothing it had already handled. A file that cannot be
// opened or written is reported once, and the log stops; the bench goes on.
class LineLog : public QObject
{
    Q_OBJECT

public:
    explicit LineLog(QObject *parent = nullptr);

    // Starts logging to `path` (created if missing). False, with failed()
    // emitted, when it cannot be opened for appending.
    bool open(const QString &path);
    void close();
    bool isOpen() const { return m_file.isOpen(); }
    QString path() const { return m_file.fileName(); }

    void sent(QStringView text);          // written at once
    void received(const QString &line);   // written by the next flush()
    void flush();

    // The log text of one line: its control characters and backslashes
    // escaped, in UTF-8.
    static void appendEscaped(QByteArray &out, QStringView text);

signals:
    // The log could not be opened or written and has stopped.
    void failed(const QString &path, const QString &reason);
    // Logging started or stopped (also after a failure).
    void openChanged(bool open);

private:
    void append(char direction, QStringView text);
    void fail(const QString &reason);

    QFile m_file;
    QByteArray m_pending;
    LocalStamp m_stamp;
};
