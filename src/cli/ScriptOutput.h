#pragma once

#include "log/LocalStamp.h"
#include "request/BoardRequest.h"

#include <QObject>
#include <QString>

#include <cstdio>

// What a run of the command line prints. Data goes to standard output, one
// record per line, flushed at once so that a pipe sees each as it comes:
//   read      duty=37.5, frequency=3 and frequency_hz=980 on lines of
//             their own, or {"duty":37.5,"frequency":3,"frequency_hz":980}
//             with --json; a value outside the protocol as the board sent
//             it (a JSON string when it is not a number), and no frequency
//             in hertz for an index that selects none
//   monitor   time,line as CSV (the line escaped as the log escapes it,
//             quoted when it holds a comma or a quote), or
//             {"time":"...","line":"..."} with --json; a line cut by the
//             receive path ends in the log's mark \... in CSV, and has
//             "cut":true in JSON
// Progress and errors go to standard error, prefixed with the program's
// name; --quiet keeps the progress back, never the errors. Once standard
// output cannot be written (the reader has gone), closed() is emitted and
// nothing more is printed there.
class ScriptOutput : public QObject
{
    Q_OBJECT

public:
    ScriptOutput(bool json, bool quiet, QObject *parent = nullptr);

    void progress(const QString &text);
    void error(const QString &text);
    void warning(const QString &text);
    void valuesRead(const RequestOutcome &duty, const RequestOutcome &frequency);
    void lineMonitored(const QString &line, bool cut);

signals:
    void closed();

private:
    void print(std::FILE *stream, const QByteArray &bytes);

    bool m_json;
    bool m_quiet;
    bool m_closed = false;
    LocalStamp m_stamp;
};
