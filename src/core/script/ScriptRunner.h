#pragma once

#include "request/BoardRequest.h"
#include "script/ExitCode.h"
#include "script/ScriptStep.h"

#include <QObject>
#include <QTimer>

#include <chrono>
#include <optional>

class ScriptBoard;

// Runs a bench script on a board and tells the truth about it. Once the
// board is found, each step runs as soon as the one before is done: every
// set waits for the board's answer that carries the value sent, every
// "read" for the answers to its own two queries, and "monitor" passes on
// every received line until its duration ends or the run is interrupted.
//
// Nobody is asked anything. How a run ends:
//  - NoResponse: the board was not found, or did not answer a command,
//    within the time-out; the message says what was heard instead;
//  - BadAnswer: a set answered with another value ends the run; a reading
//    outside the protocol is reported as the board sent it, with a warning,
//    and the run goes on to end with BadAnswer;
//  - PortError: the port cannot be opened, a send fails, the port goes.
// However it ends, the board is closed before finished().
class ScriptRunner : public QObject
{
    Q_OBJECT

public:
    struct Limits
    {
        std::chrono::milliseconds timeout{10000};
        std::optional<std::chrono::milliseconds> duration; // of each monitor; none: until interrupted
    };

    ScriptRunner(ScriptBoard &board, Script script, Limits limits, QObject *parent = nullptr);

    void start();
    // Ctrl+C or a stop signal: a monitor without a duration ends as it
    // should; anything else ends Interrupted.
    void interrupt();
    // Standard output cannot be written any more: the run ends at once.
    void outputClosed();

signals:
    void progress(const QString &text);
    void warning(const QString &text);
    // The board's answers to "read": the duty and the frequency index.
    void valuesRead(const RequestOutcome &duty, const RequestOutcome &frequency);
    void lineMonitored(const QString &line, bool cut);
    void finished(int exitCode, const QString &message);

private:
    enum class Phase { Idle, Searching, Running, Monitoring, Over };

    void found();
    void runNext();
    void submit(BoardRequest::Kind kind, int value = 0, const QString &text = {});
    void answered(const RequestOutcome &outcome);
    void monitorEnded();
    void finish(int code, const QString &message = {});

    ScriptBoard &m_board;
    Script m_script;
    Limits m_limits;
    qsizetype m_next = 0;
    Phase m_phase = Phase::Idle;
    int m_waiting = 0; // requests of the step in hand still out
    bool m_reading = false;
    std::optional<RequestOutcome> m_duty;
    ExitCode m_endsWith = Done; // BadAnswer once a reading outside the protocol was reported
    QTimer m_timer;
};
