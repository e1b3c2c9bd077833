#include "app/BenchStation.h"

#include "link/Protocol.h"
#include "toolkit/Constants.h"

#include <QMetaMethod>

BenchStation::BenchStation(StationOptions options, QObject *parent)
    : QObject(parent)
    , m_options(std::move(options))
    , Timer1(QStringLiteral("Timer1"), m_options.intervals.searchRetry)
    , TimerCom(QStringLiteral("TimerCom"), m_options.intervals.replyTimeout)
    , Timer2(QStringLiteral("Timer2"), m_options.intervals.readBackStep)
    , StTimer(QStringLiteral("StTimer"), m_options.intervals.pollTick)
    , m_display(m_options.intervals.frame)
    , m_ledger(m_options.replyPatience)
    , m_settings(MSComm1, state.settings, state.settingsPath, m_options.executable,
                 [this](const MessageRequest &r) { return ask(r); })
    , m_link(MSComm1, state.settings, state.replies, Timer1, TimerCom, m_display, m_ledger)
    , m_sender(MSComm1, state.pendingCommand, [this](const MessageRequest &r) { return ask(r); },
               m_options.intervals.pacing)
    , m_pwm(m_sender, MSComm1, state.settings, state.pwm, Timer2, StTimer)
    , m_shell(m_settings, m_link, MSComm1, Timer1, m_options.executable,
              [this](const MessageRequest &r) { return ask(r); })
{
    MSComm1.setLinkDirectory(m_options.linkDirectory.isEmpty() ? m_options.executable.directory
                                                               : m_options.linkDirectory);
    MSComm1.setDevicePath(m_options.devicePath);
    if (m_options.settings)
        m_settings.useValues(*m_options.settings);
    wire();
    wireReports();
}

BenchStation::~BenchStation()
{
    stopAll();
}

// The timers and the serial component, each to its handler.
void BenchStation::wire()
{
    connect(&MSComm1, &SerialComponent::OnComm, this, &BenchStation::receiveEvent);
    connect(&MSComm1, &SerialComponent::PortLost, this, [this](int error) { recover(Cause::DeviceLost, error); });
    connect(&MSComm1, &SerialComponent::outputWritten, this, &BenchStation::recordSent);
    connect(&Timer1, &WindowTimer::Timer, &m_shell, &AppShell::Timer1_Timer);
    connect(&TimerCom, &WindowTimer::Timer, &m_link, &LinkSession::TimerCom_Timer);
    connect(&Timer2, &WindowTimer::Timer, &m_pwm, &PwmControl::Timer2_Timer);
    connect(&StTimer, &WindowTimer::Timer, &m_pwm, &PwmControl::StTimer_Timer);

    connect(this, &BenchStation::lineSent, &m_log, &LineLog::sent);
    connect(&m_log, &LineLog::failed, this, &BenchStation::logFailed);
    connect(&m_log, &LineLog::openChanged, this, &BenchStation::logOpenChanged);
}

// What the subsystems report: to each other, to the display and onwards.
void BenchStation::wireReports()
{
    connect(&m_shell, &AppShell::captionChanged, this, &BenchStation::captionChanged);
    connect(&m_shell, &AppShell::statusChanged, this, &BenchStation::showStatus);
    connect(&m_shell, &AppShell::statusColourChanged, this, &BenchStation::showStatusColour);
    connect(&m_shell, &AppShell::exitConfirmed, this, &BenchStation::stopAll);
    connect(&m_shell, &AppShell::exitConfirmed, this, &BenchStation::exitConfirmed);

    connect(&m_settings, &SettingsKeeper::loaded, this, &BenchStation::settingsLoaded);
    connect(&m_settings, &SettingsKeeper::portChoiceChanged, this, &BenchStation::portChoiceChanged);
    connect(&m_settings, &SettingsKeeper::panelOpened, this, &BenchStation::panelOpened);
    connect(&m_settings, &SettingsKeeper::panelOpened, &m_pwm, &PwmControl::stopPolling);
    connect(&m_settings, &SettingsKeeper::panelClosed, this, &BenchStation::panelClosed);
    connect(&m_settings, &SettingsKeeper::entryRefused, this, &BenchStation::entryRefused);
    connect(&m_settings, &SettingsKeeper::saved, &m_shell, &AppShell::RestartLink);

    connect(&m_link, &LinkSession::deviceFound, this, &BenchStation::startAfterDiscovery);
    connect(&m_link, &LinkSession::portFailed, this, &BenchStation::portFailed);
    connect(&m_link, &LinkSession::replyMatched, this, [this](const ReplyLedger::Answer &a) {
        emit replyMatched(a.id, a.command, a.reply);
    });

    connect(&m_sender, &CommandSender::sendFailed, this, &BenchStation::sendFailed);
    connect(&m_sender, &CommandSender::restartWanted, this, [this] { recover(Cause::SendFailed, 0); });
    connect(&m_sender, &CommandSender::endChosen, this, &BenchStation::endOnTheOperatorsChoice);
    connect(&m_sender, &CommandSender::pausesOver, this, &BenchStation::pauseEnded);

    connect(&m_pwm, &PwmControl::statusChanged, this, &BenchStation::showStatus);
    connect(&m_pwm, &PwmControl::inputLockChanged, this, &BenchStation::inputLockChanged);
    connect(&m_pwm, &PwmControl::controlsEnabled, this, &BenchStation::controlsEnabled);
    connect(&m_pwm, &PwmControl::readBackDone, this, &BenchStation::readBackDone);
    connect(&m_pwm, &PwmControl::dutyEntryChanged, this, &BenchStation::dutyEntryChanged);
    connect(&m_pwm, &PwmControl::deviceGone, this, [this](int error) { recover(Cause::DeviceLost, error); });
}

// The per-line reports cost something on a flood, so they are passed on
// from the subsystems only once someone listens to them.
void BenchStation::connectNotify(const QMetaMethod &signal)
{
    // The link writes on the display itself.
    if (signal == QMetaMethod::fromSignal(&BenchStation::statusChanged) && !m_forwardsStatus) {
        m_forwardsStatus = true;
        connect(&m_link, &LinkSession::statusChanged, this, &BenchStation::statusChanged);
    } else if (signal == QMetaMethod::fromSignal(&BenchStation::statusColourChanged) && !m_forwardsColour) {
        m_forwardsColour = true;
        connect(&m_link, &LinkSession::statusColourChanged, this, &BenchStation::statusColourChanged);
    } else if (signal == QMetaMethod::fromSignal(&BenchStation::lineReceived) && !m_forwardsLines) {
        m_forwardsLines = true;
        connect(&m_link, &LinkSession::lineReceived, this, &BenchStation::lineReceived);
    } else if (signal == QMetaMethod::fromSignal(&BenchStation::valueReported) && !m_forwardsValues) {
        m_forwardsValues = true;
        connect(&m_link, &LinkSession::valueReported, this, &BenchStation::valueReported);
    }
}

// Every box goes through here, so that nothing starts while one is open.
int BenchStation::ask(const MessageRequest &request)
{
    ++m_asking;
    const int answer = m_options.ask(request);
    --m_asking;
    pauseEnded();
    return answer;
}

void BenchStation::pauseEnded()
{
    if (!isBusy())
        QMetaObject::invokeMethod(this, &BenchStation::becameIdle, Qt::QueuedConnection);
}

// A receive event, with what its lines show written, and logged, at its end.
void BenchStation::receiveEvent()
{
    {
        const DisplayBatch::Hold hold(m_display);
        m_link.MSComm1_OnComm();
    }
    m_log.flush();
}

void BenchStation::recordSent(const QString &text)
{
    emit lineSent(text);
    const QString command = text.endsWith(Protocol::CR) ? text.chopped(1) : text;
    if (const quint64 id = m_ledger.sent(command, state.settings.deviceId, ReplyLedger::Clock::now()))
        emit commandIssued(id, command);
}

void BenchStation::showStatus(const QString &caption)
{
    m_display.setStatus(caption);
    if (m_forwardsStatus)
        emit statusChanged(caption);
}

void BenchStation::showStatusColour(std::uint32_t colour)
{
    m_display.setStatusColour(colour);
    if (m_forwardsColour)
        emit statusColourChanged(colour);
}

void BenchStation::startAfterDiscovery()
{
    m_found = true;
    emit deviceCodeChanged(QStringLiteral("Kelvandor: ") + WindowName.toString() + u' ' + m_options.executable.name);
    if (m_options.readBack)
        m_pwm.startAfterDiscovery();
    else
        m_pwm.startPolling();
    emit deviceFound();
}

// The one recovery, for a device lost and for a failed send the operator
// goes on from. Nothing is sent on the closed port afterwards: the
// read-back and the poll stop with it. With the settings panel open, its
// SAVE-CLOSE restarts the link.
void BenchStation::recover(Cause cause, int errorNumber)
{
    if (MSComm1.PortOpen())
        MSComm1.setPortOpen(false);
    m_ledger.clear();
    m_found = false;
    StTimer.setEnabled(false);
    Timer2.setEnabled(false);
    emit inputLockChanged(false);
    if (!m_settings.isPanelOpen())
        m_shell.RestartLink();
    if (cause == Cause::DeviceLost) {
        emit deviceLost(errorNumber);
        // The error stands on the status line until the next attempt.
        showStatusColour(Colour::LightRed);
        showStatus(Protocol::portErrorStatus(errorNumber));
    }
}

void BenchStation::endOnTheOperatorsChoice()
{
    stopAll();
    emit endChosen();
}

// The confirmed exit, and the end of the station: no timer ticks any more,
// and a handler that was pausing sends nothing more.
void BenchStation::stopAll()
{
    m_sender.shutDown();
    Timer1.setEnabled(false);
    TimerCom.setEnabled(false);
    Timer2.setEnabled(false);
    StTimer.setEnabled(false);
}

void BenchStation::start()
{
    m_shell.Form_Load();
}

void BenchStation::pressDuty(int percent)
{
    if (percent == 0)
        m_pwm.cmd0P_Click();
    else if (percent == 50)
        m_pwm.cmd50P_Click();
    else if (percent == 100)
        m_pwm.cmd100P_Click();
}

void BenchStation::sendDuty(const QString &typed)
{
    m_pwm.cmdSV01_Click(typed);
}

void BenchStation::pressFrequency(int index)
{
    m_pwm.cmdFpwm_Click(index);
}

void BenchStation::openSettings()
{
    m_settings.cmdSet_Click();
}

// The save closes the port on purpose: nothing of the read-back or the
// poll is to be sent on it, and the poll runs again only once the board
// is found anew.
void BenchStation::saveSettings(const SettingsKeeper::PanelEntries &entries)
{
    Timer2.setEnabled(false);
    StTimer.setEnabled(false);
    m_ledger.clear();
    m_found = false;
    m_settings.cmdExit_Click(entries);
}

void BenchStation::choosePort(const PortEntry &entry)
{
    m_settings.choosePort(entry);
}

bool BenchStation::requestClose()
{
    std::int16_t cancel = 0;
    m_shell.Form_Unload(cancel);
    return cancel == 0;
}

void BenchStation::endWithoutAsking()
{
    m_shell.endWithoutAsking();
}

void BenchStation::searchNow()
{
    m_shell.RestartLink();
    m_shell.Timer1_Timer();
}

void BenchStation::askDuty()
{
    m_pwm.cmdPV01_Click();
}

void BenchStation::askFrequency()
{
    m_pwm.cmdSV02_Click();
}

void BenchStation::pollNow()
{
    m_pwm.sendPoll();
}

void BenchStation::stop()
{
    stopAll();
    m_log.flush(); // a line handled is in the log before the end is told
    if (MSComm1.PortOpen())
        MSComm1.setPortOpen(false);
    m_ledger.clear();
    m_found = false;
}

bool BenchStation::startLog(const QString &path)
{
    const SettingsValues &values = m_options.settings ? *m_options.settings : state.settings; // the file's, once loaded
    if (!m_log.open(path, MSComm1.portName(values.commPort), values.deviceId))
        return false;
    m_logLines = connect(&m_link, &LinkSession::lineReceived, &m_log, &LineLog::received);
    return true;
}

void BenchStation::stopLog()
{
    m_log.close();
}

void BenchStation::logOpenChanged(bool open)
{
    if (!open)
        disconnect(m_logLines);
    emit logChanged(open);
}
