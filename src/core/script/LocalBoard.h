#pragma once

#include "request/RequestQueue.h"
#include "script/ScriptBoard.h"

#include <QTimer>

#include <chrono>

class BenchStation;

// The board behind a station of the script's own: it searches (the first
// request at once, then one every 2.5 s) until the board answers or the
// time-out ends, and runs requests through a RequestQueue. It keeps what the
// board said that nobody waited for, for the message after a time-out:
// another device's identification, lines without an end, other lines.
class LocalBoard : public ScriptBoard
{
    Q_OBJECT

public:
    LocalBoard(BenchStation &station, std::chrono::milliseconds timeout, QObject *parent = nullptr);

    QString name() const override;
    void open() override;
    void submit(const BoardRequest &request) override;
    void monitor() override { m_monitoring = true; }
    void close() override;
    QString whatWasHeard() const override;

private:
    void hear(const QString &line, bool cut);
    void searchTimedOut();
    void failToOpen(int errorNumber, const QString &reason);

    BenchStation &m_station;
    RequestQueue m_requests;
    std::chrono::milliseconds m_timeout;
    QString m_port;
    bool m_searching = false;
    bool m_monitoring = false;
    QString m_lastHeard;
    QString m_otherDevice;
    int m_heard = 0;
    QTimer m_timer;
};
