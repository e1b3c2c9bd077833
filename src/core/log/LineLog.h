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
//     2026-12-07T14:03:21.500+01:00 -- Tavermund 1.0.0 started, port COM 1 (/dev/ttyUSB0), device ID "1"
//     2026-12-07T14:03:21.517+01:00 tx 1SV1=50
//     2026-12-07T14:03:21.539+01:00 rx 1SV1=50
//
// with the local time to the millisecond, the direction and the line's text
// in UTF-8, control characters and backslashes escaped (\r, \n, \t, \\,
// \xHH), so that one log line is always one line of the file. Each opening
// starts with a line of its own ("--" where the direction would be). A
// received line longer than the receive path keeps ends in the mark \...
// (Cut), which no line's own text can give, its backslashes being doubled.
//
// The file is appended to. Received lines are gathered while a receive
// event runs and written with one write at its end (flush()); a sent line
// is written at once. Nothing waits in the process after that, so a crash
// of the tool loses nothing it had already handled. A write that the system
// takes only in part (a full disk) is cut back to the last whole line, so
// the file never ends in a torn line. A file that cannot be opened or
// written is reported once with the system's reason, and the log stops;
// the bench goes on.
class LineLog : public QObject
{
    Q_OBJECT

public:
    // Ends a received line that was cut.
    static constexpr char Cut[] = "\\...";

    explicit LineLog(QObject *parent = nullptr);

    // Starts logging to `path` (created if missing) with the line that
    // marks the start: this program and version, `port` and `deviceId`.
    // False, with failed() emitted, when it cannot be opened for appending
    // or that line cannot be written.
    bool open(const QString &path, const QString &port = {}, const QString &deviceId = {});
    void close();
    bool isOpen() const { return m_file.isOpen(); }
    QString path() const { return m_file.fileName(); }

    void sent(QStringView text);          // written at once
    void received(const QString &line, bool cut = false); // written by the next flush()
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
    void append(char direction, QStringView text, bool cut = false);
    QString writePending();
    void fail(const QString &reason);
    void drop();

    QFile m_file;
    QByteArray m_pending;
    LocalStamp m_stamp;
};
