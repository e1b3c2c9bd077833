#include "link/CommandSender.h"

#include "link/Protocol.h"
#include "serial/CommError.h"
#include "serial/SerialComponent.h"
#include "toolkit/EventPump.h"

CommandSender::CommandSender(SerialComponent &comm, QString &pendingCommand, AskOperator ask,
                             std::chrono::milliseconds pacing, QObject *parent)
    : QObject(parent)
    , m_comm(comm)
    , m_pendingCommand(pendingCommand)
    , m_ask(std::move(ask))
    , m_pacing(pacing)
{
}

void CommandSender::SendAction()
{
    if (m_shutDown)
        return;
    try {
        m_comm.setOutput(m_pendingCommand + Protocol::CR);
        return;
    } catch (const CommError &error) {
        // Whatever the cause, the operator decides below.
        emit sendFailed(error.number(), error.reason());
    }

    const int answer = m_ask({QStringLiteral("NO RESPONSE! Check connected hardware! Do you want to continue ?"),
                              MessageRequest::YesNo | MessageRequest::Critical | MessageRequest::DefaultButton2,
                              QStringLiteral("MsgBox: NO RESPONSE - COMMUNICATION ERROR!"),
                              QStringLiteral("DEMO.HLP"), 1000});
    if (answer != MessageRequest::Yes) {
        // Nothing more is sent or waited for, whatever the caller had left.
        m_shutDown = true;
        emit endChosen();
        return;
    }
    emit restartWanted();
}

void CommandSender::PacingDelay()
{
    if (m_shutDown)
        return;
    ++m_pausing;
    EventPump::pauseFor(m_pacing);
    if (--m_pausing == 0)
        emit pausesOver();
}

void CommandSender::send(const QString &command)
{
    m_pendingCommand = command;
    SendAction();
    PacingDelay();
}

int CommandSender::sendUnattended(const QString &command)
{
    if (m_shutDown)
        return 0;
    m_pendingCommand = command;
    try {
        m_comm.setOutput(m_pendingCommand + Protocol::CR);
    } catch (const CommError &error) {
        return error.number();
    }
    PacingDelay();
    return 0;
}
