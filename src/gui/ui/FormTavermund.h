#pragma once

// FormTavermund is the tool's one window. It builds the controls from
// FormLayout, runs a BenchStation (the bench itself) and maps between the
// two: clicks and keys become calls on the station, and what the station
// reports becomes captions, colours and panels. Its own concerns are the
// painting, the input lock during a poll, the help panel, the port list
// and the log switch of the settings panel.
//
// The names fixed by the tool's design, and where they live:
//   MSComm1, Timer1, TimerCom, Timer2, StTimer, pendingCommand
//                       the station's own (BenchStation): the serial
//                       component, the search retry, the reply time-out,
//                       the read-back steps, the poll tick, and the next
//                       command for SendAction
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
//   cmdLog (the log switch of the settings panel)          LogSwitch
// The window reaches the station through its calls and reports only.
//
// Everything runs on the GUI thread. PacingDelay is the only place where
// events are pumped inside a handler, so ticks, replies and clicks can run
// nested there.

#include "app/BenchStation.h"
#include "ui/FormControls.h"
#include "ui/FormOptions.h"
#include "ui/InputLock.h"

#include <QIcon>
#include <QWidget>

#include <cstdint>
#include <memory>

class LogSwitch;
class PortPicker;
class ReachTip;

class FormTavermund : public QWidget
{
    Q_OBJECT

public:
    explicit FormTavermund(FormOptions options = {}, QWidget *parent = nullptr);
    ~FormTavermund() override;

    // The load event: caption, "Status:", the first link restart.
    void Form_Load() { m_station->start(); }

    // The help panel.
    void cmdHelp_Click();
    void cmdCloseHelp_Click();

    // The window's Enabled state as the poll uses it: while locked, the
    // operator can neither click nor type into the window. It is a lock,
    // not a disabled widget, so focus and colours stay as they are and the
    // keys typed meanwhile arrive afterwards.
    void setInputLocked(bool locked) { m_inputLock.setLocked(locked); }
    bool inputLocked() const { return m_inputLock.isLocked(); }

    // The window's icon, 32 x 32, also the application's.
    static QIcon icon();
    static QString WindowName();

    BenchStation &station() { return *m_station; }
    PortPicker &portPicker() { return *m_portPicker; }

    FormControls ui;

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void wire();
    void wireReports();
    void showSettings(const SettingsValues &values);
    SettingsKeeper::PanelEntries panelEntries() const;
    void focusRefusedEntry(int index);
    void setStatusBack(std::uint32_t colour);
    void ResetFrequencyButtons();
    void showFrequency(int button);
    void showLogFailure(const QString &path, const QString &reason);

    FormOptions m_options;
    InputLock m_inputLock{this};
    std::unique_ptr<BenchStation> m_station;
    PortPicker *m_portPicker = nullptr;
    ReachTip *m_reachTip = nullptr;
    LogSwitch *m_logSwitch = nullptr;
};
