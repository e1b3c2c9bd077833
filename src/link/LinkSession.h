#pragma once

#include "LineAssembler.h"

#include <QObject>

class FormTavermund;

// The device search and the receive path: INIT (one search attempt), the
// reply time-out, the receive event that assembles lines, and HandleReply,
// which shows every line and acts on the device's replies.
class LinkSession : public QObject
{
    Q_OBJECT

public:
    explicit LinkSession(FormTavermund &form);

    void cmdInicijalizacija_Click();
    void TimerCom_Timer();
    void MSComm1_OnComm();
    void HandleReply(const LineAssembler::Line &line);
    void ResetFrequencyButtons();

    // The device went away (unplugged adapter, failed poll): the window is
    // enabled, the poll stops, the search starts again so the device is
    // found once it is back, and the error stands on the status line until
    // the next attempt.
    // Also the handler of MSComm1's PortLost.
    void recoverLostDevice(int errorNumber);

private:
    FormTavermund &f;
};
