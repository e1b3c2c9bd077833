#include "link/LinkSession.h"

#include "link/Protocol.h"
#include "link/ReplyParser.h"
#include "link/ReplyState.h"
#include "serial/CommError.h"
#include "serial/LineSettings.h"
#include "serial/SerialComponent.h"
#include "settings/SettingsValues.h"
#include "toolkit/Constants.h"
#include "toolkit/DisplayBatch.h"
#include "toolkit/WindowTimer.h"

#include <QLocale>
#include <QMetaMethod>

#include <algorithm>

LinkSession::LinkSession(SerialComponent &comm, const SettingsValues &settings, ReplyState &state,
                         WindowTimer &searchRetry, WindowTimer &replyTimeout, DisplayBatch &display,
                         ReplyLedger &ledger, QObject *parent)
    : QObject(parent)
    , m_comm(comm)
    , m_display(display)
    , m_ledger(ledger)
    , m_settings(settings)
    , m_state(state)
    , m_searchRetry(searchRetry)
    , m_replyTimeout(replyTimeout)
    , m_decimalPoint(QLocale().decimalPoint().front())
{
}

void LinkSession::cmdInicijalizacija_Click()
{
    try {
        m_comm.setSettings(LineSettings::forBaudRate(m_settings.baudRate));
        m_comm.setHandshaking(0);
        showStatusColour(Colour::LightYellow);
        showStatus(QStringLiteral("Searching for uc code..."));
        m_replyTimeout.setEnabled(true);
        if (!m_comm.PortOpen())
            m_comm.setPortOpen(true);
        m_comm.setDTREnable(false);
        m_comm.setRTSEnable(false);
        m_comm.setRThreshold(1);
        m_comm.setInputLen(1);
        m_comm.setOutput(Protocol::searchRequest(m_settings.deviceId));
    } catch (const CommError &error) {
        // The next tick of the search retry tries again.
        if (error.number() != 0) {
            emit portFailed(error.number(), error.reason());
            showStatusColour(Colour::LightRed);
            showStatus(Protocol::portErrorStatus(error.number()));
        }
    }
}

void LinkSession::TimerCom_Timer()
{
    m_replyTimeout.setEnabled(false);
    showStatusColour(Colour::LightRed);
    showStatus(QStringLiteral("No response!"));
}

void LinkSession::MSComm1_OnComm()
{
    if (m_comm.CommEvent() != SerialComponent::ReceiveEvent)
        return;
    do {
        if (takeFetched())
            continue;
        const QString received = m_comm.Input();
        // A read that finds nothing still yields one character: a blank.
        const QChar c = received.isEmpty() ? QChar(u' ') : received.front();
        if (const auto line = m_state.rxLine.feed(c))
            HandleReply(*line);
    } while (m_comm.InBufferCount() != 0);
}

// What the port has fetched already goes a run at a time, as Input() would
// hand it out character by character, up to the end of the next line,
// which is handled then: its handling may change what waits. False if
// nothing was fetched (or the port hands out more than one at a time).
bool LinkSession::takeFetched()
{
    const QByteArrayView run = m_comm.InputLen() == 1 ? m_comm.fetched() : QByteArrayView();
    for (qsizetype i = 0; i < run.size(); ++i) {
        if (const auto line = m_state.rxLine.feed(SerialComponent::character(run[i]))) {
            m_comm.skip(i + 1);
            HandleReply(*line);
            return true;
        }
    }
    m_comm.skip(run.size());
    return !run.isEmpty();
}

void LinkSession::HandleReply(const LineAssembler::Line &line)
{
    if (m_listened.lines)
        emit lineReceived(line.text, line.overflowed);
    if (!m_ledger.isEmpty()) {
        if (const auto answer = m_ledger.received(line.text, m_settings.deviceId, ReplyLedger::Clock::now()))
            emit replyMatched(*answer);
    }
    m_replyTimeout.setEnabled(false);
    showStatusColour(Colour::LightGreen);
    // Only the last line of a receive event is shown: the display puts its
    // caption together, unless someone listens to every one.
    if (m_listened.status)
        showStatus(receivedStatus(line.text));
    else
        m_display.setStatus(statusPrefix(), line.text);

    const ReplyParser::Outcome reply = ReplyParser::parse(line.text, line.overflowed, m_settings.deviceId);
    if (reply.tooLong) {
        showStatus(QStringLiteral("???"));
        return;
    }

    if (reply.identification) {
        showStatus(QStringLiteral("Found: ") + line.text);
        m_searchRetry.setEnabled(false);
        showStatusColour(Colour::Green);
        emit deviceFound();
    }

    if (reply.kind == ReplyParser::Kind::Other)
        return;
    if (!reply.value) {
        showStatus(QStringLiteral("???"));
        return;
    }
    if (reply.kind == ReplyParser::Kind::Duty) {
        m_state.reportedValues[1] = *reply.value;
        if (m_listened.values)
            emit valueReported(1, *reply.value);
        m_display.setDuty(*reply.value, m_decimalPoint);
        return;
    }
    m_state.reportedValues[2] = *reply.value;
    if (m_listened.values)
        emit valueReported(2, *reply.value);
    m_display.setFrequency(ReplyParser::frequencyButton(*reply.value));
}

// The status line's caption for a received line. Its prefix changes only
// with the port settings, so it is kept rather than built for every line,
// and the caption is written into the same string each time: whoever keeps
// one gets a copy of its own once the next is written, so a stream of
// lines allocates nothing.
const QString &LinkSession::receivedStatus(const QString &line)
{
    const QString &prefix = statusPrefix();
    m_caption.resize(prefix.size() + line.size());
    std::copy(line.cbegin(), line.cend(), std::copy(prefix.cbegin(), prefix.cend(), m_caption.begin()));
    return m_caption;
}

const QString &LinkSession::statusPrefix()
{
    if (m_statusPrefix.isNull() || m_statusPort != m_settings.commPort || m_statusBaud != m_settings.baudRate) {
        m_statusPort = m_settings.commPort;
        m_statusBaud = m_settings.baudRate;
        m_statusPrefix = Protocol::receivedStatusPrefix(m_statusPort, m_statusBaud);
    }
    return m_statusPrefix;
}

void LinkSession::showStatus(const QString &caption)
{
    m_display.setStatus(caption);
    if (m_listened.status)
        emit statusChanged(caption);
}

void LinkSession::showStatusColour(std::uint32_t colour)
{
    m_display.setStatusColour(colour);
    if (m_listened.colour)
        emit statusColourChanged(colour);
}

// A signal nobody listens to still costs its emission, on every line of a
// flood; so the per-line ones are emitted only while someone listens. A
// new listener counts at once. Qt may still hold its connection lock while
// it reports a disconnection, so who is left is looked up afterwards, from
// the event loop; meanwhile the signals go on being emitted, to nobody.
void LinkSession::connectNotify(const QMetaMethod &signal)
{
    m_listened.lines |= signal == QMetaMethod::fromSignal(&LinkSession::lineReceived);
    m_listened.status |= signal == QMetaMethod::fromSignal(&LinkSession::statusChanged);
    m_listened.colour |= signal == QMetaMethod::fromSignal(&LinkSession::statusColourChanged);
    m_listened.values |= signal == QMetaMethod::fromSignal(&LinkSession::valueReported);
}

void LinkSession::disconnectNotify(const QMetaMethod &)
{
    QMetaObject::invokeMethod(this, &LinkSession::listenersChanged, Qt::QueuedConnection);
}

void LinkSession::listenersChanged()
{
    m_listened = {isSignalConnected(QMetaMethod::fromSignal(&LinkSession::lineReceived)),
                  isSignalConnected(QMetaMethod::fromSignal(&LinkSession::statusChanged)),
                  isSignalConnected(QMetaMethod::fromSignal(&LinkSession::statusColourChanged)),
                  isSignalConnected(QMetaMethod::fromSignal(&LinkSession::valueReported))};
}
