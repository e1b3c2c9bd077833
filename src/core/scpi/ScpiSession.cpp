#include "scpi/ScpiSession.h"

#include "app/BenchStation.h"
#include "link/Protocol.h"
#include "pwm/PwmControl.h"
#include "request/ReplyValue.h"
#include "request/RequestQueue.h"
#include "text/NumberReader.h"

#include <QCoreApplication>

#include <cmath>

namespace {

using Header = ScpiParser::Header;
using Kind = BoardRequest::Kind;
using Status = RequestOutcome::Status;

} // namespace

ScpiSession::ScpiSession(BenchStation &station, RequestQueue &requests, QObject *parent)
    : QObject(parent)
    , m_station(station)
    , m_requests(requests)
{
    connect(&requests, &RequestQueue::finished, this, &ScpiSession::requestDone);
}

ScpiSession::~ScpiSession()
{
    if (m_waiting)
        m_requests.cancel(*m_waiting);
}

void ScpiSession::takeLine(const QString &line)
{
    if (m_lines.size() >= MaxWaitingLines) {
        m_errors.push(-350, QStringLiteral("a line came before %1 others were done").arg(MaxWaitingLines));
        return;
    }
    m_lines.push_back(line);
    runNext();
}

void ScpiSession::refuseLongLine()
{
    m_errors.push(-363, QStringLiteral("a line longer than the server takes was dropped"));
}

// The commands of the line in hand, then the next line; a command that
// waits for the board picks up here when it is done.
void ScpiSession::runNext()
{
    if (m_running || m_waiting)
        return;
    m_running = true;
    while (!m_waiting) {
        if (m_next < m_commands.size()) {
            execute(m_commands[m_next++]);
            continue;
        }
        if (!m_commands.isEmpty() && !m_answers.isEmpty())
            emit answer(m_answers.join(u';').toUtf8() + '\n');
        m_commands.clear();
        m_answers.clear();
        m_next = 0;
        if (m_lines.empty())
            break;
        m_commands = ScpiParser::parse(m_lines.front());
        m_lines.pop_front();
    }
    m_running = false;
}

std::optional<double> ScpiSession::number(const QString &parameter)
{
    const std::optional<double> value = ReplyValue::number(parameter);
    if (!value)
        m_errors.push(-104, QStringLiteral("\"%1\" is not a number").arg(parameter.left(40)));
    return value;
}

// Runs one command; true when it is done, false while it waits for the board.
bool ScpiSession::execute(const ScpiParser::Command &c)
{
    if (c.error != 0) {
        m_errors.push(c.error);
        return true;
    }
    const auto outOfRange = [this](const QString &what) {
        m_errors.push(-222, what);
        return true;
    };
    switch (c.header) {
    case Header::Identify:
        m_answers << QStringLiteral("Tavermund,PWM bench,%1,%2")
                         .arg(m_station.settingsInUse().deviceId, QCoreApplication::applicationVersion());
        return true;
    case Header::Complete:
        return ask(Kind::Barrier);
    case Header::Clear:
        m_errors.clear();
        return true;
    case Header::Error:
        m_answers << m_errors.next();
        return true;
    case Header::Status:
        m_answers << (m_station.isBoardFound() ? QStringLiteral("FOUND") : QStringLiteral("SEARCHING"));
        return true;
    case Header::Measure:
        return ask(Kind::Measure);
    case Header::Duty: {
        if (c.query)
            return ask(Kind::AskDuty);
        if (!number(c.parameter))
            return true;
        const PwmControl::TypedDuty duty = PwmControl::checkTypedDuty(c.parameter, u'.');
        if (!duty.refusal.isEmpty())
            return outOfRange(QStringLiteral("duty %1: %2").arg(c.parameter, duty.refusal));
        return ask(Kind::DutyTyped, 0, c.parameter);
    }
    case Header::DutyPreset: {
        const std::optional<double> v = number(c.parameter);
        if (!v)
            return true;
        if (*v != 0 && *v != 50 && *v != 100)
            return outOfRange(QStringLiteral("the duty buttons are 0, 50 and 100"));
        return ask(Kind::DutyPreset, int(*v));
    }
    case Header::Frequency:
    case Header::FrequencyIndex: {
        if (c.query)
            return ask(Kind::AskFrequency);
        const std::optional<double> v = number(c.parameter);
        if (!v)
            return true;
        const bool byIndex = c.header == Header::FrequencyIndex;
        const int index = byIndex ? (*v >= 1 && *v <= 7 && *v == std::floor(*v) ? int(*v) : 0)
                                  : Protocol::frequencyIndexNear(*v);
        if (index == 0)
            return outOfRange(byIndex ? QStringLiteral("the frequency index is one of 1 to 7")
                                      : QStringLiteral("the frequency is one of ") + Protocol::frequencyList());
        return ask(Kind::Frequency, index);
    }
    }
    return true;
}

bool ScpiSession::ask(BoardRequest::Kind kind, int value, const QString &text)
{
    if (kind != Kind::Barrier && !m_station.isBoardFound()) {
        m_errors.push(-240, QStringLiteral("no board has answered the search"));
        return true;
    }
    m_asked = m_commands.value(m_next - 1);
    m_waiting = m_requests.submit({kind, value, text});
    return false;
}

void ScpiSession::requestDone(quint64 ticket, const RequestOutcome &outcome)
{
    if (!m_waiting || ticket != *m_waiting)
        return;
    m_waiting.reset();
    if (!m_asked.query) {
        // A set, done when confirmed; *OPC? answers once it is its turn.
        if (!outcome.ok())
            m_errors.push(-240, outcome.detail);
    } else if (m_asked.header == Header::Complete) {
        m_answers << QStringLiteral("1");
    } else if (outcome.status == Status::OutsideProtocol) {
        m_answers << outcome.valueText;
        m_errors.push(-230, outcome.detail);
    } else if (!outcome.ok()) {
        m_errors.push(-240, outcome.detail);
    } else if (m_asked.header == Header::Frequency) {
        m_answers << Protocol::frequencyText(int(outcome.value));
    } else {
        m_answers << NumberReader::formatGeneral(float(outcome.value));
    }
    runNext();
}
