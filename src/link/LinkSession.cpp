#include "LinkSession.h"

#include "CommError.h"
#include "ControlPainter.h"
#include "FormTavermund.h"
#include "NumberReader.h"
#include "Protocol.h"
#include "ReplyParser.h"
#include "VbColor.h"

#include <QGroupBox>
#include <QLabel>
#include <QLocale>
#include <QPushButton>

namespace {

constexpr std::uint32_t LightYellow = 0xC0FFFF;
constexpr std::uint32_t LightRed = 0x8080FF;
constexpr std::uint32_t LightGreen = 0xC0FFC0;
constexpr std::uint32_t Green = 0x00C000;

} // namespace

LinkSession::LinkSession(FormTavermund &form)
    : f(form)
{
}

void LinkSession::cmdInicijalizacija_Click()
{
    MSComm &comm = f.MSComm1;
    try {
        comm.setSettings(f.st.baudRate + QStringLiteral(",n,8,1"));
        comm.setHandshaking(0);
        f.setStatusBack(LightYellow);
        f.setStatus(QStringLiteral("Searching for uc code..."));
        f.TimerCom.setEnabled(true);
        if (!comm.PortOpen())
            comm.setPortOpen(true);
        comm.setDTREnable(false);
        comm.setRTSEnable(false);
        comm.setRThreshold(1);
        comm.setInputLen(1);
        comm.setOutput(Protocol::searchRequest(f.st.deviceId));
    } catch (const CommError &error) {
        // The next tick of Timer1 tries again.
        if (error.number() != 0) {
            f.setStatusBack(LightRed);
            f.setStatus(Protocol::portErrorStatus(error.number()));
        }
    }
}

void LinkSession::TimerCom_Timer()
{
    f.TimerCom.setEnabled(false);
    f.setStatusBack(LightRed);
    f.setStatus(QStringLiteral("No response!"));
}

void LinkSession::MSComm1_OnComm()
{
    MSComm &comm = f.MSComm1;
    if (comm.CommEvent() != MSComm::ReceiveEvent)
        return;
    do {
        const QString received = comm.Input();
        // A read that finds nothing still yields one character: a blank.
        const QChar c = received.isEmpty() ? QChar(u' ') : received.front();
        if (const auto line = f.st.rxLine.feed(c))
            HandleReply(*line);
    } while (comm.InBufferCount() != 0);
}

void LinkSession::HandleReply(const LineAssembler::Line &line)
{
    f.TimerCom.setEnabled(false);
    f.setStatusBack(LightGreen);
    f.setStatus(Protocol::receivedStatus(f.st.commPort, f.st.baudRate, line.text));

    const ReplyParser::Outcome reply = ReplyParser::parse(line.text, line.overflowed, f.st.deviceId);
    if (reply.tooLong) {
        f.setStatus(QStringLiteral("???"));
        return;
    }

    if (reply.identification) {
        f.ui.lblDevCode->setText(QStringLiteral("Kelvandor: ") + f.objectName() + u' ' + f.executable().name);
        f.setStatus(QStringLiteral("Found: ") + line.text);
        f.Timer1.setEnabled(false);
        f.setStatusBack(Green);
        if (f.st.sampleTime > 0) {
            f.st.pollCount = std::int16_t(f.st.sampleTime - 1);
            f.StTimer.setEnabled(true);
        }
        // Every discovery reads the device back afresh.
        f.st.queryStep = 0;
        f.Timer2.setEnabled(true);
    }

    if (reply.kind == ReplyParser::Kind::Other)
        return;
    if (!reply.value) {
        f.setStatus(QStringLiteral("???"));
        return;
    }
    if (reply.kind == ReplyParser::Kind::Duty) {
        f.st.reportedValues[1] = *reply.value;
        f.ui.lblTemp[1]->setText(NumberReader::formatGeneral(*reply.value, QLocale().decimalPoint().front()));
        return;
    }
    f.st.reportedValues[2] = *reply.value;
    ResetFrequencyButtons();
    if (const int k = ReplyParser::frequencyButton(*reply.value))
        ControlPainter::setBackColor(f.ui.cmdFpwm[k], VbColor::Highlight);
}

void LinkSession::recoverLostDevice(int errorNumber)
{
    f.setInputLocked(false);
    f.StTimer.setEnabled(false);
    f.st.pollCount = 0;
    if (f.MSComm1.PortOpen())
        f.MSComm1.setPortOpen(false);
    // With the settings panel open, its SAVE-CLOSE restarts the link; a
    // restart now would reload the panel over the operator's edits.
    if (!f.ui.frmSet->isVisible())
        f.RestartLink();
    f.setStatusBack(LightRed);
    f.setStatus(Protocol::portErrorStatus(errorNumber));
}

void LinkSession::ResetFrequencyButtons()
{
    for (int k = 1; k <= 7; ++k)
        ControlPainter::setBackColor(f.ui.cmdFpwm[k], VbColor::ButtonFace);
}
