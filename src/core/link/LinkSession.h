#pragma once

#include "link/LineAssembler.h"
#include "link/ReplyLedger.h"

#include <QChar>
#include <QObject>
#include <QString>

#include <cstdint>

class DisplayBatch;
class SerialComponent;
class WindowTimer;
struct ReplyState;
struct SettingsValues;

// The device search and the receive path: INIT (one search attempt), the
// reply time-out, the receive event that assembles lines, and HandleReply,
// which shows every line and acts on the device's replies.
//
// It drives MSComm1, the search retry (stopping it once the device has
// answered) and the reply time-out; it reads the link settings and keeps
// the received line and the reported values. What the window is to show
// it writes on the display it is given, in the order of the steps; the
// status texts and colours, the lines and the values also go out as
// signals, to whoever listens. While commands wait for their replies, each
// line is also offered to the ledger that matches replies to commands.
class LinkSession : public QObject
{
    Q_OBJECT

public:
    LinkSession(SerialComponent &comm, const SettingsValues &settings, ReplyState &state, WindowTimer &searchRetry,
                WindowTimer &replyTimeout, DisplayBatch &display, ReplyLedger &ledger, QObject *parent = nullptr);

    void cmdInicijalizacija_Click();
    void TimerCom_Timer();
    void MSComm1_OnComm();
    void HandleReply(const LineAssembler::Line &line);

signals:
    // Every complete line, as it arrives, before anything acts on it; cut:
    // longer than the receive path keeps, the rest dropped.
    void lineReceived(const QString &line, bool cut);
    // A search attempt could not use the port: the error number the status
    // line shows, and what the system said.
    void portFailed(int errorNumber, const QString &reason);
    void statusChanged(const QString &caption);
    void statusColourChanged(std::uint32_t colour);
    // The identification reply: the search is over.
    void deviceFound();
    // A value the device reported: index 1 the duty, 2 the frequency index.
    void valueReported(int index, float value);
    // A received line answers a command that waited for it (ReplyLedger).
    void replyMatched(const ReplyLedger::Answer &answer);

protected:
    void connectNotify(const QMetaMethod &signal) override;
    void disconnectNotify(const QMetaMethod &signal) override;

private:
    const QString &receivedStatus(const QString &line);
    const QString &statusPrefix();
    bool takeFetched();
    void showStatus(const QString &caption);
    void showStatusColour(std::uint32_t colour);
    void listenersChanged();

    SerialComponent &m_comm;
    DisplayBatch &m_display;
    ReplyLedger &m_ledger;
    const SettingsValues &m_settings;
    ReplyState &m_state;
    WindowTimer &m_searchRetry;
    WindowTimer &m_replyTimeout;
    QChar m_decimalPoint; // the operator's, for the duty display: looked up once
    int m_statusPort = 0;
    QString m_statusBaud;
    QString m_statusPrefix;
    QString m_caption;
    struct
    {
        bool lines = false;
        bool status = false;
        bool colour = false;
        bool values = false;
    } m_listened;
};
