#pragma once

#include "request/BoardRequest.h"
#include "request/RequestQueue.h"
#include "script/ExitCode.h"
#include "script/ScriptStep.h"

#include <QObject>
#include <QTimer>

#include <chrono>
#include <optional>

class BenchStation;

// Runs a bench script on a station and tells the truth about it. It
// searches until the board answers (the first request at once), then runs
// each step as soon as the one before is done: every set waits for the
// board's answer that carries the value sent, every "read" for the answers
// to its own two queries (RequestQueue), and "monitor" passes on every
// received line until its duration ends or the run is interrupted.
//
// Nobody is asked anything. How a run ends:
//  - NoResponse: the board was not found, or did not answer a command,
//    within the time-out; the message says what was heard instead (another
//    device ID, lines without an end, nothing at all);
//  - BadAnswer: a set answered with another value ends the run; a reading
//    outside the protocol is reported as the board sent it, with a warning,
//    and the run goes on to end with BadAnswer;
//  - PortError: the port cannot be opened, a send fails, the port goes.
// However it ends, every timer is stopped and the port closed before
// finished().
class ScriptRunner : public QObject
{
    Q_OBJECT

public:
    struct Limits
    {
        std::chrono::milliseconds timeout{10000};
        std::optional<std::chrono::milliseconds> duration; // of each monitor; none: until interrupted
    };

    ScriptRunner(BenchStation &station, Script script, Limits limits, QObject *parent = nullptr);

    void start();
    // Ctrl+C or a stop signal: a monitor without a duration ends as it
    // should; anything else ends Interrupted.
    void interrupt();

signals:
    void progress(const QString &text);
    void warning(const QString &text);
    // The board's answers to "read": the duty and the frequency index.
    void valuesRead(const RequestOutcome &duty, const RequestOutcome &frequency);
    void lineMonitored(const QString &line);
    void finished(int exitCode, const QString &message);

private:
    enum class Phase { Idle, Searching, Running, Monitoring, Over };

    void found();
    void runNext();
    void submit(BoardRequest::Kind kind, int value = 0, const QString &text = {});
    void requestDone(quint64 ticket, const RequestOutcome &outcome);
    void hear(const QString &line);
    void timeUp();
    void failToOpen(int errorNumber, const QString &reason);
    void failOnLostPort(int errorNumber);
    void finish(ExitCode code, const QString &message = {});
    QString whatWasHeard() const;
    QString board() const;

    BenchStation &m_station;
    RequestQueue m_requests;
    Script m_script;
    Limits m_limits;
    QString m_port;
    qsizetype m_next = 0;
    Phase m_phase = Phase::Idle;
    int m_waiting = 0; // requests of the step in hand still out
    std::optional<RequestOutcome> m_duty;
    ExitCode m_endsWith = Done; // a reading outside the protocol was reported
    // What the board said that was not what was waited for.
    QString m_lastHeard;
    QString m_otherDevice;
    int m_heard = 0;
    QTimer m_timer;
};
