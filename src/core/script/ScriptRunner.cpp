#include "script/ScriptRunner.h"

#include "app/BenchStation.h"
#include "link/Protocol.h"
#include "script/RunOptions.h"
#include "serial/CommError.h"

#include <QRegularExpression>

namespace {

using Kind = BoardRequest::Kind;
using Status = RequestOutcome::Status;

QString seconds(std::chrono::milliseconds ms)
{
    return QString::number(double(ms.count()) / 1000, 'g', 6);
}

} // namespace

ScriptRunner::ScriptRunner(BenchStation &station, Script script, Limits limits, QObject *parent)
    : QObject(parent)
    , m_station(station)
    , m_requests(station, limits.timeout)
    , m_script(std::move(script))
    , m_limits(limits)
    , m_port(RunOptions::portName(station.options()))
{
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, &ScriptRunner::timeUp);
    connect(&m_requests, &RequestQueue::finished, this, &ScriptRunner::requestDone);
    connect(&station, &BenchStation::deviceFound, this, &ScriptRunner::found);
    connect(&station, &BenchStation::lineReceived, this, &ScriptRunner::hear);
    connect(&station, &BenchStation::portFailed, this, &ScriptRunner::failToOpen);
    connect(&station, &BenchStation::deviceLost, this, &ScriptRunner::failOnLostPort);
    connect(&station, &BenchStation::endChosen, this, [this] {
        finish(PortError, QStringLiteral("could not send to %1: the port is closed").arg(m_port));
    });
}

QString ScriptRunner::board() const
{
    return QStringLiteral("device \"%1\" on %2").arg(m_station.settingsInUse().deviceId, m_port);
}

void ScriptRunner::start()
{
    m_phase = Phase::Searching;
    m_timer.start(m_limits.timeout);
    m_station.searchNow();
    if (m_phase == Phase::Searching)
        emit progress(QStringLiteral("searching for %1").arg(board()));
}

void ScriptRunner::interrupt()
{
    if (m_phase == Phase::Monitoring && !m_limits.duration)
        finish(m_endsWith);
    else
        finish(Interrupted, QStringLiteral("interrupted"));
}

void ScriptRunner::found()
{
    if (m_phase != Phase::Searching)
        return;
    m_timer.stop();
    emit progress(QStringLiteral("found device \"%1\"").arg(m_station.settingsInUse().deviceId));
    m_phase = Phase::Running;
    runNext();
}

// The next step, once the one before is done.
void ScriptRunner::runNext()
{
    while (m_phase == Phase::Running && m_waiting == 0) {
        if (m_next == m_script.size())
            return finish(m_endsWith);
        const ScriptStep &step = m_script[m_next++];
        m_heard = 0;
        m_lastHeard.clear();
        switch (step.kind) {
        case ScriptStep::Kind::Find:
            break;
        case ScriptStep::Kind::DutyPreset:
            submit(Kind::DutyPreset, step.value);
            break;
        case ScriptStep::Kind::DutyTyped:
            submit(Kind::DutyTyped, 0, step.text);
            break;
        case ScriptStep::Kind::Frequency:
            submit(Kind::Frequency, step.value);
            break;
        case ScriptStep::Kind::Read:
            m_duty.reset();
            submit(Kind::AskDuty);
            submit(Kind::AskFrequency);
            break;
        case ScriptStep::Kind::Monitor:
            m_phase = Phase::Monitoring;
            if (m_limits.duration)
                m_timer.start(*m_limits.duration);
            break;
        }
    }
}

void ScriptRunner::submit(BoardRequest::Kind kind, int value, const QString &text)
{
    ++m_waiting;
    m_requests.submit({kind, value, text});
}

void ScriptRunner::requestDone(quint64, const RequestOutcome &outcome)
{
    if (m_phase != Phase::Running)
        return;
    --m_waiting;
    switch (outcome.status) {
    case Status::Done:
        break;
    case Status::OutsideProtocol:
        emit warning(QStringLiteral("%1: %2").arg(board(), outcome.detail));
        m_endsWith = BadAnswer;
        break;
    case Status::OtherValue:
        return finish(BadAnswer, QStringLiteral("%1: %2, not the value sent").arg(board(), outcome.detail));
    case Status::Refused:
        return finish(ValueRefused, outcome.detail);
    case Status::NoAnswer:
        return finish(NoResponse, QStringLiteral("%1: %2%3").arg(board(), outcome.detail, whatWasHeard()));
    case Status::NotFound:
    case Status::SendFailed:
        return finish(PortError, QStringLiteral("could not send to %1: %2").arg(m_port, outcome.detail));
    }
    // A read reports both answers together.
    const bool reading = m_next > 0 && m_script[m_next - 1].kind == ScriptStep::Kind::Read;
    if (reading && !m_duty)
        m_duty = outcome;
    else if (reading)
        emit valuesRead(*m_duty, outcome);
    runNext();
}

void ScriptRunner::hear(const QString &line)
{
    if (m_phase == Phase::Monitoring) {
        emit lineMonitored(line);
        return;
    }
    static const QRegularExpression identification(QStringLiteral("^(.)BSok$"));
    const QRegularExpressionMatch other = identification.match(line);
    if (other.hasMatch() && other.captured(1) != m_station.settingsInUse().deviceId)
        m_otherDevice = other.captured(1);
    ++m_heard;
    m_lastHeard = line;
}

// After a time-out: what came instead of the answer waited for.
QString ScriptRunner::whatWasHeard() const
{
    if (!m_otherDevice.isEmpty())
        return QStringLiteral("; device \"%1\" answered on %2: is --id right?").arg(m_otherDevice, m_port);
    if (const qsizetype unended = m_station.unendedLength())
        return QStringLiteral("; %1 characters came without a line end (CR): is --baud right?").arg(unended);
    if (m_heard > 0)
        return QStringLiteral("; %1 other line(s) came, the last \"%2\"").arg(m_heard).arg(m_lastHeard.left(80));
    return QStringLiteral("; nothing came back");
}

void ScriptRunner::timeUp()
{
    if (m_phase == Phase::Searching) {
        finish(NoResponse, QStringLiteral("no identification reply from %1 within %2 s%3")
                               .arg(board(), seconds(m_limits.timeout), whatWasHeard()));
    } else if (m_phase == Phase::Monitoring) {
        m_phase = Phase::Running;
        runNext();
    }
}

void ScriptRunner::failToOpen(int errorNumber, const QString &reason)
{
    if (m_phase != Phase::Searching)
        return;
    QString message = QStringLiteral("cannot open %1: %2 (%3)").arg(m_port, reason, Protocol::portErrorStatus(errorNumber));
    if (errorNumber == CommError::PermissionDenied)
        message += QStringLiteral(". Serial devices belong to the group dialout: sudo adduser $USER dialout, "
                                  "then log out and in again");
    finish(PortError, message);
}

void ScriptRunner::failOnLostPort(int errorNumber)
{
    finish(PortError, QStringLiteral("the port %1 went away (%2)").arg(m_port, Protocol::portErrorStatus(errorNumber)));
}

void ScriptRunner::finish(ExitCode code, const QString &message)
{
    if (m_phase == Phase::Over)
        return;
    m_phase = Phase::Over;
    m_timer.stop();
    m_station.stop();
    emit finished(code, message);
}
