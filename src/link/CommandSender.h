#pragma once

#include <QObject>

class FormTavermund;

// The two subroutines behind the hidden buttons: SendAction writes
// pendingCommand and a carriage return, and offers to restart the link or
// end the program when the write fails; PacingDelay pauses 50 ms while the
// window keeps handling its events.
class CommandSender : public QObject
{
    Q_OBJECT

public:
    explicit CommandSender(FormTavermund &form);

    void SendAction();
    void PacingDelay();

    // The send step every command uses: set pendingCommand, send, pause.
    void send(const QString &command);

private:
    FormTavermund &f;
};
