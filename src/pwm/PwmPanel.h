#pragma once

#include <QObject>

class FormTavermund;

// The operator's PWM controls and the two timers that act once the device
// has been found: Timer2 reads the duty value and the frequency index back,
// StTimer shows its counter and polls the device every sampleTime + 1 ticks.
class PwmPanel : public QObject
{
    Q_OBJECT

public:
    explicit PwmPanel(FormTavermund &form);

    void cmd0P_Click();
    void cmd50P_Click();
    void cmd100P_Click();
    void cmdSV01_Click();
    void cmdFpwm_Click(int index); // cmdFpwm1 .. cmdFpwm7
    void cmdPV01_Click();
    void cmdSV02_Click();

    void Timer2_Timer();
    void StTimer_Timer();

private:
    void setDuty(int percent);

    FormTavermund &f;
};
