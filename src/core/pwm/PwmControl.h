#pragma once

#include <QObject>
#include <QString>

#include <cstdint>
#include <optional>

class CommandSender;
class SerialComponent;
class WindowTimer;
struct PwmState;
struct SettingsValues;

// The operator's PWM controls and the two timers that act once the device
// has been found: the read-back (Timer2) asks for the duty value and the
// frequency index, the poll tick (StTimer) shows its counter and polls the
// device every sampleTime + 1 ticks.
//
// Commands go through the command sender; the poll is written to MSComm1
// directly. What the window is to show goes out as signals.
class PwmControl : public QObject
{
    Q_OBJECT

public:
    // A typed duty value: a whole number, rounded half to even, that must lie
    // from 0 to 100. `number` is the conversion (kept even when out of
    // range); `refusal` says in words why the value is refused, empty when
    // it is taken.
    struct TypedDuty
    {
        std::optional<std::int16_t> number;
        QString refusal;
    };
    static TypedDuty checkTypedDuty(const QString &typed, QChar decimalPoint);

    PwmControl(CommandSender &sender, SerialComponent &comm, const SettingsValues &settings, PwmState &state,
               WindowTimer &readBack, WindowTimer &pollTick, QObject *parent = nullptr);

    void cmd0P_Click();
    void cmd50P_Click();
    void cmd100P_Click();
    void cmdSV01_Click(const QString &typed); // the text of the duty box
    void cmdFpwm_Click(int index);            // cmdFpwm1 .. cmdFpwm7
    void cmdPV01_Click();
    void cmdSV02_Click();

    void Timer2_Timer();
    void StTimer_Timer();
    // The poll as the poll tick sends it: written straight to MSComm1 with
    // the window locked, then the pause. False when the write failed.
    bool sendPoll();

    // The identification reply: the read-back runs afresh, and the poll
    // starts when a poll period is set.
    void startAfterDiscovery();
    // The poll alone, when a poll period is set.
    void startPolling();
    void stopPolling();

signals:
    void statusChanged(const QString &caption);
    // The window's Enabled state, inverted: locked while a poll is sent.
    void inputLockChanged(bool locked);
    // The PWM controls become usable (the first read-back step).
    void controlsEnabled();
    // The read-back has sent its second query.
    void readBackDone();
    // The duty box is to show this text ("error" for a refused entry).
    void dutyEntryChanged(const QString &text);
    // The poll or a read-back step could not be written: the device has gone.
    void deviceGone(int errorNumber);

private:
    void setDuty(int percent);
    bool readBackStep(const QString &command);

    CommandSender &m_sender;
    SerialComponent &m_comm;
    const SettingsValues &m_settings;
    PwmState &m_state;
    WindowTimer &m_readBack;
    WindowTimer &m_pollTick;
};
