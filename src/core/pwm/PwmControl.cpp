#include "pwm/PwmControl.h"

#include "link/CommandSender.h"
#include "link/Protocol.h"
#include "pwm/PollCounter.h"
#include "pwm/PwmState.h"
#include "serial/CommError.h"
#include "serial/SerialComponent.h"
#include "settings/SettingsValues.h"
#include "text/WholeNumber.h"
#include "toolkit/WindowTimer.h"

#include <QLocale>

#include <algorithm>

PwmControl::PwmControl(CommandSender &sender, SerialComponent &comm, const SettingsValues &settings, PwmState &state,
                       WindowTimer &readBack, WindowTimer &pollTick, QObject *parent)
    : QObject(parent)
    , m_sender(sender)
    , m_comm(comm)
    , m_settings(settings)
    , m_state(state)
    , m_readBack(readBack)
    , m_pollTick(pollTick)
{
}

void PwmControl::setDuty(int percent)
{
    m_sender.send(Protocol::setDuty(m_settings.deviceId, percent));
    m_sender.send(Protocol::dutyReadback());
}

void PwmControl::cmd0P_Click()
{
    setDuty(0);
}

void PwmControl::cmd50P_Click()
{
    setDuty(50);
}

void PwmControl::cmd100P_Click()
{
    setDuty(100);
}

PwmControl::TypedDuty PwmControl::checkTypedDuty(const QString &typed, QChar decimalPoint)
{
    TypedDuty duty{WholeNumber::fromText(typed, decimalPoint), {}};
    if (!duty.number || *duty.number < 0 || *duty.number > 100)
        duty.refusal = QStringLiteral("not a number from 0 to 100 (a fraction is rounded to a whole number)");
    return duty;
}

void PwmControl::cmdSV01_Click(const QString &typed)
{
    const TypedDuty duty = checkTypedDuty(typed, QLocale().decimalPoint().front());
    if (duty.number)
        m_state.dutyPercent = *duty.number;
    if (!duty.refusal.isEmpty()) {
        emit dutyEntryChanged(QStringLiteral("error"));
        return;
    }
    m_sender.send(Protocol::setDuty(m_settings.deviceId, m_state.dutyPercent));
}

void PwmControl::cmdFpwm_Click(int index)
{
    m_sender.send(Protocol::setFrequency(m_settings.deviceId, index));
}

void PwmControl::cmdPV01_Click()
{
    m_sender.send(Protocol::queryDuty(m_settings.deviceId));
}

void PwmControl::cmdSV02_Click()
{
    m_sender.send(Protocol::queryFrequency(m_settings.deviceId));
}

void PwmControl::startAfterDiscovery()
{
    startPolling();
    // Every discovery reads the device back afresh.
    m_state.queryStep = 0;
    m_readBack.setEnabled(true);
}

void PwmControl::startPolling()
{
    if (m_settings.sampleTime > 0) {
        m_state.pollCount = std::int16_t(m_settings.sampleTime - 1);
        m_pollTick.setEnabled(true);
    }
}

void PwmControl::stopPolling()
{
    m_pollTick.setEnabled(false);
}

void PwmControl::Timer2_Timer()
{
    // Reset to 0 by every discovery, so this stays within 0..2.
    m_state.queryStep = std::int16_t(std::min(m_state.queryStep + 1, int(WholeNumber::Max)));
    if (m_state.queryStep == 1) {
        emit controlsEnabled();
        m_sender.PacingDelay();
        readBackStep(Protocol::queryDuty(m_settings.deviceId));
    } else if (m_state.queryStep == 2) {
        m_sender.PacingDelay();
        if (readBackStep(Protocol::queryFrequency(m_settings.deviceId))) {
            m_readBack.setEnabled(false);
            emit readBackDone();
        }
    }
}

// The read-back's query, as its button would send it, but nobody clicked
// for it: like the poll, a write that fails means the device has gone, and
// the bench recovers without asking. A device lost during the pause before
// it has stopped the read-back already.
bool PwmControl::readBackStep(const QString &command)
{
    if (!m_readBack.Enabled())
        return false;
    if (const int error = m_sender.sendUnattended(command)) {
        emit deviceGone(error);
        return false;
    }
    return true;
}

void PwmControl::StTimer_Timer()
{
    const PollCounter::Tick tick = PollCounter::tick(m_state.pollCount, m_settings.sampleTime);
    emit statusChanged(Protocol::pollStatus(m_settings.sampleTime, tick.shown));
    if (!tick.poll)
        return;

    if (sendPoll())
        m_state.pollCount = 0;
}

bool PwmControl::sendPoll()
{
    emit inputLockChanged(true);
    try {
        m_comm.setOutput(Protocol::poll(m_settings.deviceId) + Protocol::CR);
    } catch (const CommError &error) {
        // The device has gone; recovering takes the lock off again.
        emit deviceGone(error.number());
        return false;
    }
    m_sender.PacingDelay();
    emit inputLockChanged(false);
    return true;
}
