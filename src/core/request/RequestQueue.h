#pragma once

#include "request/BoardRequest.h"

#include <QObject>
#include <QStringList>
#include <QTimer>

#include <chrono>
#include <deque>
#include <optional>

class BenchStation;

// Runs what scripts and remote clients ask of the board, one request at a
// time, in the order they came, on a bench station.
//
// A request starts only while the station is idle: never inside another
// command's pacing pause, nor while a box waits for the operator. It goes
// through the station's own calls, so its bytes and pauses are the ones a
// click sends, and the operator's clicks keep working beside it. Then it
// waits for the board's answer to its own command, as the station's ledger
// matches replies to commands: a set is done once the board answers with
// the value sent, a reading once the board answers the query sent for it.
// Replies to earlier commands, still on their way, are never taken for it.
//
// Each request ends with one finished() report, however it ends: confirmed
// or read, answered with another value or with something outside the
// protocol, unanswered within the time-out, unsendable, or refused at once
// because there is no board to ask.
class RequestQueue : public QObject
{
    Q_OBJECT

public:
    RequestQueue(BenchStation &station, std::chrono::milliseconds timeout, QObject *parent = nullptr);

    // Queues a request; its ticket comes back with its outcome.
    quint64 submit(const BoardRequest &request);
    // Whoever asked has gone: a request not yet started is dropped; one
    // under way ends as it would, and its outcome goes to nobody.
    void cancel(quint64 ticket);
    bool isIdle() const { return !m_current && m_queue.empty(); }

signals:
    void finished(quint64 ticket, const RequestOutcome &outcome);

private:
    struct Queued
    {
        quint64 ticket;
        BoardRequest request;
    };

    void scheduleRun();
    void runNext();
    void start();
    void call();
    void takeIssued(quint64 id, const QString &command);
    void takeReply(quint64 id, const QString &command, const QString &reply);
    void lose();
    void noteSendFailure(int errorNumber, const QString &reason);
    void timeUp();
    void finish(RequestOutcome outcome);

    BenchStation &m_station;
    std::chrono::milliseconds m_timeout;
    std::deque<Queued> m_queue;
    std::optional<Queued> m_current;
    QStringList m_commands;  // what the current request sends, in order
    QList<quint64> m_issued; // the ledger's ids of those sent so far
    int m_expected = 0;      // the value a set must come back with
    bool m_inCall = false;
    bool m_scheduled = false;
    QString m_sendFailure;
    quint64 m_nextTicket = 1;
    QTimer m_timer;
};
