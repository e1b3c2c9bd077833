#pragma once

#include "toolkit/MessageRequest.h"

#include <QObject>

#include <chrono>

class SerialComponent;

// The two subroutines behind the hidden buttons: SendAction writes
// pendingCommand and a carriage return, and offers to restart the link or
// end the program when the write fails; PacingDelay pauses while the window
// keeps handling its events.
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

    // The operator confirmed the exit: a handler that was pausing when the
    // window closed sends nothing more and waits no longer.
    void shutDown() { m_shutDown = true; }

signals:
    // A write of pendingCommand failed, before the operator is asked.
    void sendFailed(int errorNumber, const QString &reason);
    // A send failed and the operator chose to go on; the port is closed.
    // The poll stops, the window is enabled again and the link restarts.
    void restartWanted();

private:
    SerialComponent &m_comm;
    QString &m_pendingCommand;
    AskOperator m_ask;
    std::chrono::milliseconds m_pacing;
    bool m_shutDown = false;
};
