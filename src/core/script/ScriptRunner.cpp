#include "script/ScriptRunner.h"

#include "app/BenchStation.h"
#include "link/Protocol.h"
#include "script/RunOptions.h"
#include "serial/CommError.h"
#include "serial/PortErrors.h"

namespace {

QString seconds(std::chrono::milliseconds ms)
{
    return QString::number(double(ms.count()) / 1000, 'g', 6);
}

} // namespace

ScriptRunner::ScriptRunner(BenchStation &station, Script script, Limits limits, QObject *parent)
    : QObject(parent)
    , m_station(station)
    , m_script(std::move(script))
    , m_limits(limits)
    , m_port(RunOptions::portName(station.options()))
{
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, &ScriptRunner::timeUp);
    connect(&station, &BenchStation::deviceFound, this, &ScriptRunner::searchEnded);
    connect(&station, &BenchStation::readBackDone, this, &ScriptRunner::readBackEnded);
    connect(&station, &BenchStation::valueReported, this, &ScriptRunner::takeValue);
    connect(&station, &BenchStation::portFailed, this, &ScriptRunner::failToOpen);
    connect(&station, &BenchStation::sendFailed, this, &ScriptRunner::noteFailedSend);
    connect(&station, &BenchStation::deviceLost, this, &ScriptRunner::failOnLostPort);
}

void ScriptRunner::start()
{
    m_phase = Phase::Searching;
    const auto &given = m_station.options().settings;
    emit progress(QStringLiteral("searching for device \"%1\" on %2").arg(given ? given->deviceId : QString(), m_port));
    m_timer.start(m_limits.timeout);
    m_station.searchNow();
}

void ScriptRunner::interrupt()
{
    if (m_phase == Phase::Monitoring && !m_limits.duration)
        finish(Done);
    else
        finish(Interrupted, QStringLiteral("interrupted"));
}

void ScriptRunner::outputClosed()
{
    finish(OutputClosed);
}

void ScriptRunner::searchEnded()
{
    if (m_phase != Phase::Searching)
        return;
    m_timer.stop();
    emit progress(QStringLiteral("found device \"%1\"").arg(m_station.settingsInUse().deviceId));
    m_phase = Phase::Running;
    runLater();
}

void ScriptRunner::readBackEnded()
{
    m_readBackDone = true;
    if (m_phase == Phase::WaitingForReadBack) {
        m_phase = Phase::Running;
        runLater();
    }
}

// Steps run from the event loop, never inside the receive event or the
// pause that made them ready.
void ScriptRunner::runLater()
{
    QMetaObject::invokeMethod(this, &ScriptRunner::runSteps, Qt::QueuedConnection);
}

void ScriptRunner::runSteps()
{
    using Kind = ScriptStep::Kind;
    if (m_busy)
        return; // the step in hand goes on when it returns
    m_busy = true;
    while (m_phase == Phase::Running && m_next < m_script.size()) {
        const ScriptStep &step = m_script[m_next];
        const bool pressesButtons = step.kind != Kind::Find && step.kind != Kind::Monitor;
        if (pressesButtons && !m_readBackDone) {
            m_phase = Phase::WaitingForReadBack;
            break;
        }
        ++m_next;
        switch (step.kind) {
        case Kind::Find:
            break;
        case Kind::DutyPreset:
            m_station.pressDuty(step.value);
            break;
        case Kind::DutyTyped:
            m_station.sendDuty(step.text);
            break;
        case Kind::Frequency:
            m_station.pressFrequency(step.value);
            break;
        case Kind::Read:
            m_phase = Phase::Reading;
            m_duty.reset();
            m_frequency.reset();
            m_timer.start(m_limits.timeout);
            m_station.askDuty();
            m_station.askFrequency();
            break;
        case Kind::Monitor:
            m_phase = Phase::Monitoring;
            connect(&m_station, &BenchStation::lineReceived, this, &ScriptRunner::passLine, Qt::UniqueConnection);
            if (m_limits.duration)
                m_timer.start(*m_limits.duration);
            break;
        }
        if (!m_sendFailure.isEmpty())
            finish(PortError, m_sendFailure);
    }
    m_busy = false;
    if (m_phase == Phase::Running && m_next == m_script.size())
        finish(Done);
}

void ScriptRunner::takeValue(int index, float value)
{
    if (m_phase != Phase::Reading)
        return;
    (index == 1 ? m_duty : m_frequency) = value;
    if (!m_duty || !m_frequency)
        return;
    m_timer.stop();
    emit valuesRead(*m_duty, *m_frequency);
    m_phase = Phase::Running;
    runLater();
}

void ScriptRunner::passLine(const QString &line, bool cut)
{
    if (m_phase == Phase::Monitoring)
        emit lineMonitored(line, cut);
}

void ScriptRunner::timeUp()
{
    switch (m_phase) {
    case Phase::Searching:
        finish(NoResponse, QStringLiteral("no response from device \"%1\" on %2 within %3 s")
                               .arg(m_station.settingsInUse().deviceId, m_port, seconds(m_limits.timeout)));
        break;
    case Phase::Reading:
        finish(NoResponse, QStringLiteral("device \"%1\" on %2 did not report %3 within %4 s")
                               .arg(m_station.settingsInUse().deviceId, m_port,
                                    m_duty ? QStringLiteral("its frequency")
                                           : m_frequency ? QStringLiteral("its duty") : QStringLiteral("its duty and frequency"),
                                    seconds(m_limits.timeout)));
        break;
    case Phase::Monitoring:
        disconnect(&m_station, &BenchStation::lineReceived, this, &ScriptRunner::passLine);
        m_phase = Phase::Running;
        runLater();
        break;
    default:
        break;
    }
}

void ScriptRunner::failToOpen(int errorNumber, const QString &reason)
{
    if (m_phase != Phase::Searching)
        return;
    QString message = QStringLiteral("cannot open %1: %2 (%3)").arg(m_port, reason, Protocol::portErrorStatus(errorNumber));
    if (errorNumber == CommError::PermissionDenied)
        message += QStringLiteral(". ") + PortErrors::dialoutAdvice(true);
    finish(PortError, message);
}

void ScriptRunner::noteFailedSend(int errorNumber, const QString &reason)
{
    if (m_sendFailure.isEmpty())
        m_sendFailure = QStringLiteral("could not send to %1: %2 (%3)").arg(m_port, reason, Protocol::portErrorStatus(errorNumber));
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
