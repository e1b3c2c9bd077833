#pragma once

// FormTavermund is the tool's one window and the top floor: it owns the
// controls (built from FormLayout), the state, the serial component and the
// four timers, hands each subsystem what it works on, wires every event to
// its handler and maps what the subsystems report onto the controls.
//
// The names fixed by the tool's design, and what they are here:
//   MSComm1             the serial component (SerialComponent)
//   Timer1              the search retry: one INIT every 2.5 s (AppShell)
//   TimerCom            the reply time-out of a search attempt (LinkSession)
//   Timer2              the read-back steps after discovery (PwmControl)
//   StTimer             the poll tick, once a second (PwmControl)
//   pendingCommand      the next command for SendAction (CommandSender)
//   Form_Load, RestartLink, Timer1_Timer, Form_Unload      AppShell
//   LoadSettings, SaveSettings, cmdSet_Click, cmdExit_Click SettingsKeeper
//   cmdInicijalizacija_Click (INIT), TimerCom_Timer,
//     MSComm1_OnComm, HandleReply                          LinkSession
//   cmdUPort_Click (SendAction), cmdKasnjenje_Click (PacingDelay)
//                                                          CommandSender
//   cmd0P/cmd50P/cmd100P/cmdSV01/cmdFpwm1..7/cmdPV01/cmdSV02_Click,
//     Timer2_Timer, StTimer_Timer                          PwmControl
//   ResetFrequencyButtons, cmdHelp_Click, cmdCloseHelp_Click  this window
//   cmdPorts (the port list of the settings panel)         PortPicker
//
// Everything runs on the GUI thread. PacingDelay is the only place where
// events are pumped inside a handler, so ticks, replies and clicks can run
// nested there.
//
// What the received lines show (the status line and its colour, the duty
// display, the highlighted frequency button) is written once per receive
// event, at its end, with the last line's values (DisplayBatch): the
// screen is painted only between events, and no other handler runs inside
// one.

#include "app/AppShell.h"
#include "link/CommandSender.h"
#include "link/LinkSession.h"
#include "pwm/PwmControl.h"
#include "serial/SerialComponent.h"
#include "settings/SettingsKeeper.h"
#include "toolkit/DisplayBatch.h"
#include "toolkit/WindowTimer.h"
#include "ui/FormControls.h"
#include "ui/FormOptions.h"
#include "ui/FormState.h"
#include "ui/InputLock.h"
#include "ui/PortPicker.h"
#include "ui/ReachTip.h"

#include <QIcon>
#include <QWidget>

#include <cstdint>

class FormTavermund : public QWidget
{
    Q_OBJECT

public:
    explicit FormTavermund(FormOptions options = {}, QWidget *parent = nullptr);
    ~FormTavermund() override;

    // The load event: caption, "Status:", the first link restart.
    void Form_Load() { m_shell.Form_Load(); }

    // The help panel.
    void cmdHelp_Click();
    void cmdCloseHelp_Click();

    // The status line: caption and back colour (&HBBGGRR). Written at once,
    // or at the end of the receive event that sets them.
    void setStatus(const QString &caption);
    void setStatusBack(std::uint32_t colour);

    // The window's Enabled state as the poll uses it: while locked, the
    // operator can neither click nor type into the window. It is a lock,
    // not a disabled widget, so focus and colours stay as they are and the
    // keys typed meanwhile arrive afterwards.
    void setInputLocked(bool locked) { m_inputLock.setLocked(locked); }
    bool inputLocked() const { return m_inputLock.isLocked(); }

    // The window's icon, 32 x 32, also the application's.
    static QIcon icon();

    AppShell &shell() { return m_shell; }
    SettingsKeeper &settings() { return m_settings; }
    LinkSession &link() { return m_link; }
    CommandSender &sender() { return m_sender; }
    PwmControl &pwm() { return m_pwm; }
    PortPicker &portPicker() { return *m_portPicker; }

    FormControls ui;
    FormState st;
    SerialComponent MSComm1;
    WindowTimer Timer1;
    WindowTimer TimerCom;
    WindowTimer Timer2;
    WindowTimer StTimer;

signals:
    // Every caption the status line is given, in order, as it is given (for
    // tests and anyone watching the link). Within a receive event the label
    // itself shows the last one when the event ends.
    void statusShown(const QString &caption);

protected:
    void closeEvent(QCloseEvent *event) override;
    void connectNotify(const QMetaMethod &signal) override;
    void disconnectNotify(const QMetaMethod &signal) override;

private:
    void wire();
    void wireReports();
    void wireDisplay();
    void receiveEvent();
    void showSettings(const SettingsValues &values);
    SettingsKeeper::PanelEntries panelEntries() const;
    void focusRefusedEntry(int index);
    void showDeviceCode();
    void ResetFrequencyButtons();
    void showFrequency(int button);
    void stopAll();

    FormOptions m_options;
    InputLock m_inputLock{this};
    DisplayBatch m_display;
    bool m_statusWatched = false; // statusShown has a listener
    SettingsKeeper m_settings;
    LinkSession m_link;
    CommandSender m_sender;
    PwmControl m_pwm;
    AppShell m_shell;
    PortPicker *m_portPicker = nullptr;
    ReachTip *m_reachTip = nullptr;
};
