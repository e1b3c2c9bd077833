#pragma once

// FormTavermund is the tool's one window, and it owns everything: the
// controls (built from FormLayout by FormBuilder), the state (FormState),
// the serial component MSComm1 and the four timers. It wires every event to
// a handler and runs the shell itself: load, link restart, the search
// retry tick, the exit box and the help panel.
//
// The other handlers live in small classes that work on the window's
// members, one per subsystem:
//   SettingsPanel  - settings file <-> state, panel, caption labels, MSComm1
//   LinkSession    - INIT, reply time-out, receive path, HandleReply
//   CommandSender  - SendAction (with the failed-send box) and PacingDelay
//   PwmPanel       - the operator's duty/frequency buttons, read-back, poll
// Parsing, number text, the wire protocol and the timer rules are plain
// widget-free classes (tavermund_core) that these handlers call.
//
// Everything runs on the GUI thread. PacingDelay is the only place where
// events are pumped inside a handler, so ticks, replies and clicks can run
// nested there.

#include "CommandSender.h"
#include "FormControls.h"
#include "FormOptions.h"
#include "FormState.h"
#include "InputLock.h"
#include "LinkSession.h"
#include "MSComm.h"
#include "PwmPanel.h"
#include "SettingsPanel.h"
#include "VbTimer.h"

#include <QIcon>
#include <QWidget>

#include <cstdint>

class FormTavermund : public QWidget
{
    Q_OBJECT

public:
    explicit FormTavermund(FormOptions options = {}, QWidget *parent = nullptr);
    ~FormTavermund() override;

    // Start-up, link restart and shutdown.
    void Form_Load();
    void RestartLink();
    void Timer1_Timer();
    void Form_Unload(std::int16_t &cancel);

    // Help panel.
    void cmdHelp_Click();
    void cmdCloseHelp_Click();

    // The status line: caption and back colour (&HBBGGRR).
    void setStatus(const QString &caption);
    void setStatusBack(std::uint32_t colour);

    // The window's Enabled state as the poll uses it: while locked, the
    // operator can neither click nor type into the window. It is a lock,
    // not a disabled widget, so focus and colours stay as they are and the
    // keys typed meanwhile arrive afterwards.
    void setInputLocked(bool locked) { m_inputLock.setLocked(locked); }
    bool inputLocked() const { return m_inputLock.isLocked(); }

    int ask(const MessageBox::Request &request);
    // The window's icon, 32 x 32, also the application's.
    static QIcon icon();
    const Executable &executable() const { return m_options.executable; }
    // True once the operator confirmed the exit.
    bool unloaded() const { return m_unloaded; }

    SettingsPanel &settingsPanel() { return m_settings; }
    LinkSession &link() { return m_link; }
    CommandSender &sender() { return m_sender; }
    PwmPanel &pwm() { return m_pwm; }

    // Shared with the handler classes above.
    FormControls ui;
    FormState st;
    MSComm MSComm1;
    VbTimer Timer1;
    VbTimer TimerCom;
    VbTimer Timer2;
    VbTimer StTimer;

signals:
    // Every caption the status line is given, in order (for tests and
    // anyone watching the link).
    void statusShown(const QString &caption);

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void wire();

    FormOptions m_options;
    bool m_unloaded = false;
    InputLock m_inputLock{this};
    SettingsPanel m_settings;
    LinkSession m_link;
    CommandSender m_sender;
    PwmPanel m_pwm;
};
