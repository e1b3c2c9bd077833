#include "PwmPanel.h"

#include "CommError.h"
#include "FormTavermund.h"
#include "PollCounter.h"
#include "Protocol.h"
#include "WholeNumber.h"

#include <QGroupBox>
#include <QLineEdit>
#include <QLocale>

#include <algorithm>

PwmPanel::PwmPanel(FormTavermund &form)
    : f(form)
{
}

void PwmPanel::setDuty(int percent)
{
    f.sender().send(Protocol::setDuty(f.st.deviceId, percent));
    f.sender().send(Protocol::dutyReadback());
}

void PwmPanel::cmd0P_Click()
{
    setDuty(0);
}

void PwmPanel::cmd50P_Click()
{
    setDuty(50);
}

void PwmPanel::cmd100P_Click()
{
    setDuty(100);
}

void PwmPanel::cmdSV01_Click()
{
    const auto value = WholeNumber::fromText(f.ui.txtSV01->text(), QLocale().decimalPoint().front());
    if (value)
        f.st.dutyPercent = *value;
    if (!value || *value < 0 || *value > 100) {
        f.ui.txtSV01->setText(QStringLiteral("error"));
        return;
    }
    f.sender().send(Protocol::setDuty(f.st.deviceId, f.st.dutyPercent));
}

void PwmPanel::cmdFpwm_Click(int index)
{
    f.sender().send(Protocol::setFrequency(f.st.deviceId, index));
}

void PwmPanel::cmdPV01_Click()
{
    f.sender().send(Protocol::queryDuty(f.st.deviceId));
}

void PwmPanel::cmdSV02_Click()
{
    f.sender().send(Protocol::queryFrequency(f.st.deviceId));
}

void PwmPanel::Timer2_Timer()
{
    // Reset to 0 by every identification reply, so this stays within 0..2.
    f.st.queryStep = std::int16_t(std::min(f.st.queryStep + 1, 32767));
    if (f.st.queryStep == 1) {
        f.ui.frmTemp[1]->setEnabled(true);
        f.sender().PacingDelay();
        cmdPV01_Click();
    } else if (f.st.queryStep == 2) {
        f.sender().PacingDelay();
        cmdSV02_Click();
        f.Timer2.setEnabled(false);
    }
}

void PwmPanel::StTimer_Timer()
{
    const PollCounter::Tick tick = PollCounter::tick(f.st.pollCount, f.st.sampleTime);
    f.setStatus(Protocol::pollStatus(f.st.sampleTime, tick.shown));
    if (!tick.poll)
        return;

    f.setInputLocked(true);
    try {
        f.MSComm1.setOutput(Protocol::poll(f.st.deviceId) + Protocol::CR);
    } catch (const CommError &error) {
        // The device has gone. Never leave the window disabled.
        f.link().recoverLostDevice(error.number());
        return;
    }
    f.sender().PacingDelay();
    f.setInputLocked(false);
    f.st.pollCount = 0;
}
