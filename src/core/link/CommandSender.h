#pragma once

#include "toolkit/MessageRequest.h"

#include <QObject>

#include <chrono>

class SerialComponent;

// The two subroutines behind the hidden buttons: SendAction writes
// pendingCommand and a carriage return, and offers to restart the link or
// end the program when the write fails; PacingDelay pauses while the window
// keeps handling its events. Ending the program is the front end's affair:
// the operator's choice is reported, and nothing more is sent.
class CommandSender : public QObject
{
    Q_OBJECT

public:
    CommandSender(SerialComponent &comm, QString &pendingCommand, AskOperator ask, std::chrono::milliseconds pacing,
                  QObject *parent = nullptr);

    void SendAction();
    void PacingDelay();

    // The send step every command uses: set pendingCommand, send, pause.
    void send(const QString &command);
    // The same for a command nobody clicked for (a read-back step): when the
    // write fails nobody is asked, and the error's number is returned for the
    // caller to recover from; 0 when it went out, or once shut down.
    int sendUnattended(const QString &command);

    // The operator confirmed the exit: a handler that was pausing when the
    // window closed sends nothing more and waits no longer.
    void shutDown() { m_shutDown = true; }

    // A pause is under way (nested handlers may be running inside it).
    bool isPausing() const { return m_pausing > 0; }

signals:
    // A write of pendingCommand failed, before the operator is asked.
    void sendFailed(int errorNumber, const QString &reason);
    // A send failed and the operator chose to go on: the link is to be
    // recovered (the port closed, the poll stopped, the link restarted).
    void restartWanted();
    // A send failed and the operator chose to end the program.
    void endChosen();
    // The outermost pause has ended.
    void pausesOver();

private:
    SerialComponent &m_comm;
    QString &m_pendingCommand;
    AskOperator m_ask;
    std::chrono::milliseconds m_pacing;
    bool m_shutDown = false;
    int m_pausing = 0;
};
