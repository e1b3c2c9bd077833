#pragma once

#include "script/ExitCode.h"
#include "script/ScriptStep.h"

#include <QObject>
#include <QTimer>

#include <chrono>
#include <optional>

class BenchStation;

// Runs a bench script on a station, the way an operator would work the
// window: it searches until the board answers, lets the read-back that
// follows the answer run its course (as the window shows the board's values
// before anyone touches it), then presses the buttons of each step in turn,
// each with its pacing pause. "read" waits for both values the board
// reports, "monitor" passes on every received line until its duration
// ends or the run is interrupted.
//
// Nobody is asked anything: a port that cannot be opened, a failed send or
// a port that goes away ends the run with PortError, a board that does not
// answer within the time-out with NoResponse. However it ends, every timer
// is stopped and the port closed before finished().
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
    // Nobody reads the output any more: the run ends with OutputClosed.
    void outputClosed();

signals:
    void progress(const QString &text);
    void valuesRead(float duty, float frequencyIndex);
    void lineMonitored(const QString &line, bool cut);
    void finished(int exitCode, const QString &message);

private:
    enum class Phase { Idle, Searching, Running, WaitingForReadBack, Reading, Monitoring, Over };

    void runSteps();
    void runLater();
    void finish(ExitCode code, const QString &message = {});
    void searchEnded();
    void readBackEnded();
    void takeValue(int index, float value);
    void passLine(const QString &line, bool cut);
    void failToOpen(int errorNumber, const QString &reason);
    void noteFailedSend(int errorNumber, const QString &reason);
    void failOnLostPort(int errorNumber);
    void timeUp();

    BenchStation &m_station;
    Script m_script;
    Limits m_limits;
    QString m_port;
    qsizetype m_next = 0;
    Phase m_phase = Phase::Idle;
    bool m_readBackDone = false;
    bool m_busy = false;     // a step is running (it may pump events)
    std::optional<float> m_duty;
    std::optional<float> m_frequency;
    QString m_sendFailure;
    QTimer m_timer;
};
