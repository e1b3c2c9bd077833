#pragma once

#include "request/BoardRequest.h"

#include <QObject>
#include <QString>

// What a bench script runs on: the board behind a station of its own
// (LocalBoard), or behind a running Tavermund that holds the port and
// serves it (ServedBoard). Either way the script sees the same requests and
// the same outcomes, so it prints the same and ends with the same status.
class ScriptBoard : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;

    // Device "1" on COM 1 (/dev/ttyUSB0), for messages.
    virtual QString name() const = 0;
    // Finds the board: found(), or failed() with the exit status and why.
    virtual void open() = 0;
    // One answered() per request, in the order they were submitted.
    virtual void submit(const BoardRequest &request) = 0;
    // Every line the board sends from now on, as lineReceived().
    virtual void monitor() = 0;
    virtual void close() = 0;
    // After a time-out: what came instead of the answer, as a phrase to
    // append ("; nothing came back").
    virtual QString whatWasHeard() const = 0;

signals:
    void found();
    void failed(int exitCode, const QString &message);
    void answered(const RequestOutcome &outcome);
    // `cut`: longer than the receive path keeps; the rest was dropped.
    void lineReceived(const QString &line, bool cut);
};
