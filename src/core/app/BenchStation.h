#pragma once

// BenchStation is the bench itself, without a window: the serial component
// MSComm1, the four timers, the state, the five subsystems and every
// connection between them. A front end (the window, the command line)
// turns the operator's actions into calls on it and what it reports into
// controls or output, and holds no rule of its own.
//
// The rules that tie the subsystems together live here:
//  - the identification reply shows the device code and starts the
//    read-back and the poll;
//  - opening the settings panel stops the poll; a save restarts the link;
//  - a device lost (an unplugged adapter, a failed poll) closes the port,
//    stops the poll, takes the input lock off and restarts the link
//    unless the settings panel is open, whose SAVE-CLOSE will;
//  - a failed send that the operator goes on from does the same, always;
//  - the confirmed exit stops every timer, and a handler that was pausing
//    sends nothing more.
//
// Everything runs on the GUI thread; all connections are direct, so
// effects happen in the order they are reported. What received lines show
// is written at most once a frame (display()).

#include "app/AppShell.h"
#include "app/BenchState.h"
#include "app/StationOptions.h"
#include "link/CommandSender.h"
#include "link/LinkSession.h"
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
    // at once, both read-back queries, and the end of its run: every timer
    // stopped, the port closed, and a handler that was pausing sends
    // nothing more.
    void searchNow();
    void readBack();
    void stop();

    // A record of every line sent and received (see LineLog).
    bool startLog(const QString &path);
    void stopLog();
    const LineLog &log() const { return m_log; }

    // What the window paints for the received lines and the status line.
    DisplayBatch &display() { return m_display; }

    AppShell &shell() { return m_shell; }
    SettingsKeeper &settings() { return m_settings; }
    LinkSession &link() { return m_link; }
    CommandSender &sender() { return m_sender; }
    PwmControl &pwm() { return m_pwm; }
    const StationOptions &options() const { return m_options; }

    SerialComponent MSComm1;
    WindowTimer Timer1;
    WindowTimer TimerCom;
    WindowTimer Timer2;
    WindowTimer StTimer;
    BenchState state;

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

protected:
    void connectNotify(const QMetaMethod &signal) override;

private:
    void wire();
    void wireReports();
    void receiveEvent();
    void showStatus(const QString &caption);
    void showStatusColour(std::uint32_t colour);
    void startAfterDiscovery();
    void recoverLostDevice(int errorNumber);
    void recoverFailedSend();
    void stopAll();
    void logOpenChanged(bool open);

    StationOptions m_options;
    DisplayBatch m_display;
    LineLog m_log;
    SettingsKeeper m_settings;
    LinkSession m_link;
    CommandSender m_sender;
    PwmControl m_pwm;
    AppShell m_shell;
    // The per-line reports are passed on only once someone listens.
    bool m_forwardsStatus = false;
    bool m_forwardsColour = false;
    bool m_forwardsLines = false;
    bool m_forwardsValues = false;
    QMetaObject::Connection m_logLines;
};
