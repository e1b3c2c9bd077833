#include "script/ScriptRunner.h"

#include "script/ScriptBoard.h"

namespace {

using Kind = BoardRequest::Kind;
using Status = RequestOutcome::Status;

} // namespace

ScriptRunner::ScriptRunner(ScriptBoard &board, Script script, Limits limits, QObject *parent)
    : QObject(parent)
    , m_board(board)
    , m_script(std::move(script))
    , m_limits(limits)
{
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, &ScriptRunner::monitorEnded);
    connect(&board, &ScriptBoard::found, this, &ScriptRunner::found);
    connect(&board, &ScriptBoard::failed, this, &ScriptRunner::finish);
    connect(&board, &ScriptBoard::answered, this, &ScriptRunner::answered);
    connect(&board, &ScriptBoard::lineReceived, this, [this](const QString &line, bool cut) {
        if (m_phase == Phase::Monitoring)
            emit lineMonitored(line, cut);
    });
}

void ScriptRunner::start()
{
    m_phase = Phase::Searching;
    emit progress(QStringLiteral("searching for %1").arg(m_board.name()));
    m_board.open();
}

void ScriptRunner::interrupt()
{
    if (m_phase == Phase::Monitoring && !m_limits.duration)
        finish(m_endsWith);
    else
        finish(Interrupted, QStringLiteral("interrupted"));
}

void ScriptRunner::outputClosed()
{
    finish(OutputClosed);
}

void ScriptRunner::found()
{
    if (m_phase != Phase::Searching)
        return;
    emit progress(QStringLiteral("found %1").arg(m_board.name()));
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
        m_reading = step.kind == ScriptStep::Kind::Read;
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
            m_board.monitor();
            if (m_limits.duration)
                m_timer.start(*m_limits.duration);
            break;
        }
    }
}

void ScriptRunner::submit(BoardRequest::Kind kind, int value, const QString &text)
{
    ++m_waiting;
    m_board.submit({kind, value, text});
}

void ScriptRunner::answered(const RequestOutcome &outcome)
{
    if (m_phase != Phase::Running)
        return;
    --m_waiting;
    const QString board = m_board.name();
    switch (outcome.status) {
    case Status::Done:
        break;
    case Status::OutsideProtocol:
        emit warning(QStringLiteral("%1: %2").arg(board, outcome.detail));
        m_endsWith = BadAnswer;
        break;
    case Status::OtherValue:
        return finish(BadAnswer, QStringLiteral("%1: %2, not the value sent").arg(board, outcome.detail));
    case Status::Refused:
        return finish(ValueRefused, outcome.detail);
    case Status::NoAnswer:
        return finish(NoResponse, QStringLiteral("%1: %2%3").arg(board, outcome.detail, m_board.whatWasHeard()));
    case Status::NotFound:
    case Status::SendFailed:
        return finish(PortError, QStringLiteral("%1: %2").arg(board, outcome.detail));
    }
    // A read reports both answers together.
    if (m_reading && !m_duty)
        m_duty = outcome;
    else if (m_reading)
        emit valuesRead(*m_duty, outcome);
    runNext();
}

void ScriptRunner::monitorEnded()
{
    if (m_phase != Phase::Monitoring)
        return;
    m_phase = Phase::Running;
    runNext();
}

void ScriptRunner::finish(int code, const QString &message)
{
    if (m_phase == Phase::Over)
        return;
    m_phase = Phase::Over;
    m_timer.stop();
    m_board.close();
    emit finished(code, message);
}
