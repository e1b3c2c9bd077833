#pragma once

#include "PtyPeer.h"
#include "TempExeDir.h"
#include "app/AppShell.h"
#include "link/CommandSender.h"
#include "link/LinkSession.h"
#include "link/ReplyState.h"
#include "pwm/PwmControl.h"
#include "pwm/PwmState.h"
#include "serial/SerialComponent.h"
#include "settings/SettingsKeeper.h"
#include "toolkit/WindowTimer.h"

#include <QStringList>

// The subsystems without the window, on a clock ten times faster: a serial
// component whose com1 is a pseudo-terminal (the test plays the device on
// the master side), the state, the timers, and a scripted operator who
// answers Yes unless told otherwise. Everything they report is logged in
// order: captions as they are, colours as "#BBGGRR", the rest in words.
struct Subsystems
{
    using ms = std::chrono::milliseconds;

    explicit Subsystems(bool open = true, const QString &executableName = QStringLiteral("Tavermund"))
        : dir(executableName)
    {
        peer.linkAs(dir.linkPath(1));
        comm.setLinkDirectory(dir.path());
        comm.setRThreshold(1);
        comm.setInputLen(1);
        if (open)
            comm.setPortOpen(true);
        QObject::connect(&comm, &SerialComponent::OnComm, &link, &LinkSession::MSComm1_OnComm);
        QObject::connect(&comm, &SerialComponent::PortLost, &link, &LinkSession::recoverLostDevice);
        const auto says = [this](const QString &what) { return [this, what](auto... value) { log << (what + ... + QStringLiteral(" %1").arg(value)); }; };
        const auto colour = [this](std::uint32_t c) { log << QStringLiteral("#%1").arg(c, 6, 16, QChar(u'0')).toUpper(); };
        const auto caption = [this](const QString &text) { log << text; };
        QObject::connect(&shell, &AppShell::statusChanged, caption);
        QObject::connect(&shell, &AppShell::statusColourChanged, colour);
        QObject::connect(&shell, &AppShell::captionChanged, says(QStringLiteral("title")));
        QObject::connect(&shell, &AppShell::exitConfirmed, says(QStringLiteral("exit")));
        QObject::connect(&keeper, &SettingsKeeper::loaded, [this] { log << "loaded"; });
        QObject::connect(&keeper, &SettingsKeeper::panelOpened, says(QStringLiteral("panel open")));
        QObject::connect(&keeper, &SettingsKeeper::panelClosed, says(QStringLiteral("panel closed")));
        QObject::connect(&keeper, &SettingsKeeper::entryRefused, says(QStringLiteral("refused")));
        QObject::connect(&keeper, &SettingsKeeper::saved, says(QStringLiteral("saved")));
        QObject::connect(&link, &LinkSession::statusChanged, caption);
        QObject::connect(&link, &LinkSession::statusColourChanged, colour);
        QObject::connect(&link, &LinkSession::deviceFound, says(QStringLiteral("found")));
        QObject::connect(&link, &LinkSession::dutyShown, says(QStringLiteral("duty")));
        QObject::connect(&link, &LinkSession::frequencyShown, says(QStringLiteral("frequency")));
        QObject::connect(&link, &LinkSession::deviceLost, [this](int error) { log << QStringLiteral("lost, port %1").arg(comm.PortOpen() ? "open" : "closed"); lostWith = error; });
        QObject::connect(&sender, &CommandSender::restartWanted, says(QStringLiteral("restart")));
        QObject::connect(&pwm, &PwmControl::statusChanged, caption);
        QObject::connect(&pwm, &PwmControl::inputLockChanged, [this](bool on) { log << (on ? "lock" : "unlock"); });
        QObject::connect(&pwm, &PwmControl::controlsEnabled, says(QStringLiteral("enabled")));
        QObject::connect(&pwm, &PwmControl::dutyEntryChanged, says(QStringLiteral("box")));
        QObject::connect(&pwm, &PwmControl::pollFailed, says(QStringLiteral("poll failed")));
    }

    TempExeDir dir;
    PtyPeer peer;
    SerialComponent comm;
    QList<MessageRequest> asked;
    QList<int> answers;
    AskOperator ask = [this](const MessageRequest &request) {
        asked << request;
        return answers.isEmpty() ? int(MessageRequest::Yes) : answers.takeFirst();
    };
    SettingsValues settings;
    QString settingsPath;
    QString pendingCommand;
    ReplyState replies;
    PwmState pwmState;
    WindowTimer Timer1{QStringLiteral("Timer1"), ms(250)};
    WindowTimer TimerCom{QStringLiteral("TimerCom"), ms(500)};
    WindowTimer Timer2{QStringLiteral("Timer2"), ms(80)};
    WindowTimer StTimer{QStringLiteral("StTimer"), ms(100)};
    SettingsKeeper keeper{comm, settings, settingsPath, dir.executable(), ask};
    LinkSession link{comm, settings, replies, Timer1, TimerCom};
    CommandSender sender{comm, pendingCommand, ask, ms(5)};
    PwmControl pwm{sender, comm, settings, pwmState, Timer2, StTimer};
    AppShell shell{keeper, link, comm, Timer1, dir.executable(), ask};
    QStringList log;
    int lostWith = 0;
};
