#include "request/RequestQueue.h"

#include "app/BenchStation.h"
#include "link/Protocol.h"
#include "pwm/PwmControl.h"
#include "request/ReplyValue.h"
#include "text/WholeNumber.h"

namespace {

using Kind = BoardRequest::Kind;
using Status = RequestOutcome::Status;

QString seconds(std::chrono::milliseconds ms)
{
    return QString::number(double(ms.count()) / 1000, 'g', 6);
}

bool isSet(Kind kind)
{
    return kind == Kind::DutyPreset || kind == Kind::DutyTyped || kind == Kind::Frequency;
}

} // namespace

RequestQueue::RequestQueue(BenchStation &station, std::chrono::milliseconds timeout, QObject *parent)
    : QObject(parent)
    , m_station(station)
    , m_timeout(timeout)
{
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, &RequestQueue::timeUp);
    connect(&station, &BenchStation::becameIdle, this, &RequestQueue::scheduleRun);
    connect(&station, &BenchStation::commandIssued, this, &RequestQueue::takeIssued);
    connect(&station, &BenchStation::replyMatched, this, &RequestQueue::takeReply);
    connect(&station, &BenchStation::deviceLost, this, &RequestQueue::lose);
    connect(&station, &BenchStation::sendFailed, this, &RequestQueue::noteSendFailure);
}

quint64 RequestQueue::submit(const BoardRequest &request)
{
    m_queue.push_back({m_nextTicket, request});
    scheduleRun();
    return m_nextTicket++;
}

void RequestQueue::cancel(quint64 ticket)
{
    std::erase_if(m_queue, [ticket](const Queued &q) { return q.ticket == ticket; });
}

// Requests start from the event loop, never inside the handler, pause or
// receive event that made one ready.
void RequestQueue::scheduleRun()
{
    if (m_scheduled)
        return;
    m_scheduled = true;
    QMetaObject::invokeMethod(this, &RequestQueue::runNext, Qt::QueuedConnection);
}

void RequestQueue::runNext()
{
    m_scheduled = false;
    // A busy station says so again (becameIdle) once it is idle.
    if (m_current || m_queue.empty() || m_station.isBusy())
        return;
    m_current = m_queue.front();
    m_queue.pop_front();
    start();
}

void RequestQueue::start()
{
    const BoardRequest &r = m_current->request;
    if (r.kind == Kind::Barrier)
        return finish({});
    if (!m_station.isBoardFound())
        return finish({Status::NotFound, {}, {}, 0, QStringLiteral("no board has answered the search")});

    const QString id = m_station.settingsInUse().deviceId;
    m_expected = r.value;
    switch (r.kind) {
    case Kind::DutyPreset:
        m_commands = {Protocol::setDuty(id, r.value), Protocol::dutyReadback()};
        break;
    case Kind::DutyTyped: {
        const PwmControl::TypedDuty duty = PwmControl::checkTypedDuty(r.text, u'.');
        if (!duty.refusal.isEmpty())
            return finish({Status::Refused, r.text, {}, 0, QStringLiteral("duty \"%1\" refused: %2").arg(r.text, duty.refusal)});
        m_expected = *duty.number;
        m_commands = {Protocol::setDuty(id, m_expected)};
        break;
    }
    case Kind::Frequency:
        m_commands = {Protocol::setFrequency(id, r.value)};
        break;
    case Kind::AskDuty:
        m_commands = {Protocol::queryDuty(id)};
        break;
    case Kind::AskFrequency:
        m_commands = {Protocol::queryFrequency(id)};
        break;
    case Kind::Measure:
        m_commands = {Protocol::poll(id)};
        break;
    case Kind::Barrier:
        break;
    }
    m_issued.clear();
    m_sendFailure.clear();
    m_timer.start(m_timeout);
    const quint64 ticket = m_current->ticket;
    call();
    if (!m_current || m_current->ticket != ticket || m_issued.size() == m_commands.size())
        return;
    // Not everything went out: the write failed, or the board was lost.
    finish({Status::SendFailed, {}, {}, 0,
            QStringLiteral("\"%1\" could not be sent: %2")
                .arg(m_commands.value(int(m_issued.size())),
                     m_sendFailure.isEmpty() ? QStringLiteral("the port is closed") : m_sendFailure)});
}

// The station's own calls, so the bytes and pauses are a click's.
void RequestQueue::call()
{
    const BoardRequest &r = m_current->request;
    m_inCall = true;
    switch (r.kind) {
    case Kind::DutyPreset: m_station.pressDuty(r.value); break;
    case Kind::DutyTyped: m_station.sendDuty(WholeNumber::toText(m_expected)); break;
    case Kind::Frequency: m_station.pressFrequency(r.value); break;
    case Kind::AskDuty: m_station.askDuty(); break;
    case Kind::AskFrequency: m_station.askFrequency(); break;
    case Kind::Measure: m_station.pollNow(); break;
    case Kind::Barrier: break;
    }
    m_inCall = false;
}

// The commands this request sends, in order; others sent meanwhile (an
// operator's click inside the pause) are not ours.
void RequestQueue::takeIssued(quint64 id, const QString &command)
{
    if (m_current && m_inCall && m_issued.size() < m_commands.size() && command == m_commands[m_issued.size()])
        m_issued << id;
}

void RequestQueue::takeReply(quint64 id, const QString &command, const QString &reply)
{
    if (!m_current || !m_issued.contains(id))
        return;
    const Kind kind = m_current->request.kind;
    const QString heard = QStringLiteral("\"%1\" was answered \"%2\"").arg(command, reply);
    if (isSet(kind)) {
        const std::optional<double> value = ReplyValue::number(QStringView(reply).mid(reply.indexOf(u'=') + 1));
        if (value && *value == m_expected)
            return finish({Status::Done, {}, reply, *value, heard});
        return finish({Status::OtherValue, reply.mid(reply.indexOf(u'=') + 1), reply, value.value_or(0), heard});
    }
    const ReplyValue::Reading reading = ReplyValue::read(
        reply, kind == Kind::AskFrequency ? ReplyValue::Range::FrequencyIndex : ReplyValue::Range::Duty);
    const bool good = reading.problem().isEmpty();
    finish({good ? Status::Done : Status::OutsideProtocol, reading.text.trimmed(), reply, reading.value.value_or(0),
            good ? heard : heard + QStringLiteral(": ") + reading.problem()});
}

void RequestQueue::lose()
{
    if (m_current && m_current->request.kind != Kind::Barrier)
        finish({Status::NotFound, {}, {}, 0, QStringLiteral("the board was lost")});
}

void RequestQueue::noteSendFailure(int, const QString &reason)
{
    if (m_current && m_sendFailure.isEmpty())
        m_sendFailure = reason;
}

void RequestQueue::timeUp()
{
    if (m_current)
        finish({Status::NoAnswer, {}, {}, 0,
                QStringLiteral("no answer to \"%1\" within %2 s").arg(m_commands.join(QStringLiteral("\", \"")),
                                                                       seconds(m_timeout))});
}

void RequestQueue::finish(RequestOutcome outcome)
{
    m_timer.stop();
    const quint64 ticket = m_current->ticket;
    m_current.reset();
    m_commands.clear();
    m_issued.clear();
    scheduleRun();
    emit finished(ticket, outcome);
}
