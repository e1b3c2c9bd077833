#pragma once

// BenchStation is the bench itself, without a window: the serial component
// MSComm1, the four timers, the state, the five subsystems and every
// connection between them. A front end (the window, the command line, the
// control server) turns what its user does into the calls below and what
// the station reports into controls or output, and holds no rule of its
// own. The serial component, the timers, the state and the subsystems are
// the station's alone.
//
// The rules that tie the subsystems together live here:
//  - the identification reply shows the device code and starts the
//    read-back and the poll;
//  - opening the settings panel stops the poll; a save closes the port on
//    purpose, so the read-back and the poll stop with it, and restarts the
//    link;
//  - one recovery, for a device lost (an unplugged adapter, a failed poll)
//    and for a failed send the operator goes on from: the port is closed,
//    the read-back and the poll stop, the input lock comes off and the link
//    restarts, unless the settings panel is open, whose SAVE-CLOSE will (a
//    restart now would reload the panel over the operator's edits);
//  - the confirmed exit, or the operator's choice to end in the failed-send
//    box, stops every timer, and a handler that was pausing sends nothing
//    more.
//
// Everything runs on the GUI thread; all connections are direct, so
// effects happen in the order they are reported. What received lines show
// is written at most once a frame (display()).

#include "app/AppShell.h"
#include "app/BenchState.h"
#include "app/StationOptions.h"
#include "link/CommandSender.h"
#include "link/LinkSession.h"
#include "link/ReplyLedger.h"
#include "log/LineLog.h"
#include "pwm/PwmControl.h"
#include "serial/SerialComponent.h"
#include "settings/SettingsKeeper.h"
#include "toolkit/DisplayBatch.h"
#include "toolkit/WindowTimer.h"

#include <QObject>

#include <cstdint>

class BenchStation : public QObject
{
    Q_OBJECT

public:
    // The window's own name, which the device code shows.
    static constexpr QStringView WindowName = u"FormTavermund";

    explicit BenchStation(StationOptions options, QObject *parent = nullptr);
    ~BenchStation() override;

    // What the operator does.
    void start();                         // the window's load event
    void pressDuty(int percent);          // "0%", "50%" or "100%"
    void sendDuty(const QString &typed);  // "Send", with the duty box's text
    void pressFrequency(int index);       // the frequency buttons, 1 to 7
    void openSettings();                  // "Set"
    void saveSettings(const SettingsKeeper::PanelEntries &entries); // "SAVE-CLOSE"
    void choosePort(const PortEntry &entry);
    // The window's close box: asks, and false keeps the window open.
    bool requestClose();
    // Told to end from outside (the desktop session ends, Ctrl+C): what a
    // Yes on the exit box does, without asking.
    void endWithoutAsking();

    // What a script does: the link restarted with its first search attempt
    // at once; the two read-back queries, each on its own; the poll, written
    // as the poll tick writes it; and the end of its run: every timer
    // stopped, the port closed, and a handler that was pausing sends
    // nothing more.
    void searchNow();
    void askDuty();
    void askFrequency();
    void pollNow();
    void stop();

    // A record of every line sent and received (see LineLog).
    bool startLog(const QString &path);
    void stopLog();
    const LineLog &log() const { return m_log; }

    // What the window paints for the received lines and the status line.
    const DisplayBatch &display() const { return m_display; }
    // Writes what the display holds back, for anyone about to read it.
    void flushDisplay() { m_display.flush(); }

    // What a front end may look at.
    const StationOptions &options() const { return m_options; }
    const SettingsValues &settingsInUse() const { return state.settings; }
    bool isPanelOpen() const { return m_settings.isPanelOpen(); }
    // The device the port opens: a path, or empty when COM n reaches none.
    QString deviceInUse() const { return MSComm1.deviceInUse(); }
    // The board answered the search and has not been lost since.
    bool isBoardFound() const { return m_found; }
    // Characters received since the last line end, still waiting for one.
    qsizetype unendedLength() const { return state.replies.rxLine.pending().size(); }
    // A handler is under way: inside a pacing pause or waiting for the
    // operator's answer to a box. Another command must not start now.
    bool isBusy() const { return m_sender.isPausing() || m_asking > 0; }

signals:
    void captionChanged(const QString &caption);
    // Every caption the status line is given, in order, as it is given.
    // Within a receive event the status line shows the last one when the
    // event ends.
    void statusChanged(const QString &caption);
    void statusColourChanged(std::uint32_t colour); // &HBBGGRR, likewise
    void deviceCodeChanged(const QString &text);
    void settingsLoaded(const SettingsValues &values);
    void portChoiceChanged(const PortEntry &entry);
    void panelOpened();
    void panelClosed();
    void entryRefused(int index); // txtSet1(index)
    void controlsEnabled();
    void readBackDone();
    void dutyEntryChanged(const QString &text);
    // The window's Enabled state, inverted: locked while a poll is sent.
    void inputLockChanged(bool locked);
    // The operator confirmed the exit; the port is closed.
    void exitConfirmed();
    // The operator chose to end in the failed-send box: the program ends at
    // once, without the exit box. Nothing more is sent.
    void endChosen();
    // Nothing is under way any more (see isBusy); queued, so that it comes
    // from the event loop and never from inside the handler that ended.
    void becameIdle();

    // For scripts and records.
    void lineReceived(const QString &line, bool cut); // cut: longer than the receive path keeps
    void lineSent(const QString &text);
    void valueReported(int index, float value); // 1 duty, 2 frequency index
    void deviceFound();
    void deviceLost(int errorNumber);
    void portFailed(int errorNumber, const QString &reason);
    void sendFailed(int errorNumber, const QString &reason);
    void logChanged(bool open);
    void logFailed(const QString &path, const QString &reason);
    // A command that the board answers has gone out (see ReplyLedger), and
    // the reply that answers it, matched in the order they were sent.
    void commandIssued(quint64 id, const QString &command);
    void replyMatched(quint64 id, const QString &command, const QString &reply);

protected:
    void connectNotify(const QMetaMethod &signal) override;

private:
    friend class StationProbe; // the tests' one view of the fixed names

    enum class Cause { DeviceLost, SendFailed };

    void wire();
    void wireReports();
    int ask(const MessageRequest &request);
    void receiveEvent();
    void recordSent(const QString &text);
    void showStatus(const QString &caption);
    void showStatusColour(std::uint32_t colour);
    void startAfterDiscovery();
    void recover(Cause cause, int errorNumber);
    void endOnTheOperatorsChoice();
    void stopAll();
    void pauseEnded();
    void logOpenChanged(bool open);

    StationOptions m_options;
    SerialComponent MSComm1;
    WindowTimer Timer1;
    WindowTimer TimerCom;
    WindowTimer Timer2;
    WindowTimer StTimer;
    BenchState state;
    DisplayBatch m_display;
    LineLog m_log;
    ReplyLedger m_ledger;
    SettingsKeeper m_settings;
    LinkSession m_link;
    CommandSender m_sender;
    PwmControl m_pwm;
    AppShell m_shell;
    bool m_found = false;
    int m_asking = 0; // boxes open, nested
    // The per-line reports are passed on only once someone listens.
    bool m_forwardsStatus = false;
    bool m_forwardsColour = false;
    bool m_forwardsLines = false;
    bool m_forwardsValues = false;
    QMetaObject::Connection m_logLines;
};
