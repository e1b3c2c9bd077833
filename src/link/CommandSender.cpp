#include "CommandSender.h"

#include "CommError.h"
#include "EventPump.h"
#include "FormTavermund.h"
#include "Intervals.h"
#include "ProgramEnd.h"
#include "Protocol.h"

CommandSender::CommandSender(FormTavermund &form)
    : f(form)
{
}

void CommandSender::SendAction()
{
    if (f.unloaded())
        return;
    try {
        f.MSComm1.setOutput(f.st.pendingCommand + Protocol::CR);
        return;
    } catch (const CommError &) {
        // Whatever the cause, the operator decides below.
    }

    const int answer = f.ask({QStringLiteral("NO RESPONSE! Check connected hardware! Do you want to continue ?"),
                              MessageBox::YesNo | MessageBox::Critical | MessageBox::DefaultButton2,
                              QStringLiteral("MsgBox: NO RESPONSE - COMMUNICATION ERROR!"),
                              QStringLiteral("DEMO.HLP"), 1000});
    if (answer != MessageBox::Yes)
        ProgramEnd::now();

    if (f.MSComm1.PortOpen())
        f.MSComm1.setPortOpen(false);
    if (f.StTimer.Enabled())
        f.StTimer.setEnabled(false);
    f.setInputLocked(false);
    f.RestartLink();
}

void CommandSender::PacingDelay()
{
    if (f.unloaded())
        return;
    EventPump::pauseFor(Intervals::Pacing);
}

void CommandSender::send(const QString &command)
{
    f.st.pendingCommand = command;
    SendAction();
    PacingDelay();
}
