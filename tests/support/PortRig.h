#pragma once

#include "PtyPeer.h"
#include "TempExeDir.h"
#include "serial/SerialComponent.h"
#include "toolkit/MessageRequest.h"

#include <QStringList>

// What the subsystems work on, without a window: a serial component whose
// com1 is a pseudo-terminal (the test plays the device on the master side)
// and a scripted operator who answers Yes unless told otherwise.
struct PortRig
{
    TempExeDir dir;
    PtyPeer peer;
    SerialComponent comm;
    QList<MessageRequest> asked;
    QList<int> answers;
    AskOperator ask = [this](const MessageRequest &request) {
        asked << request;
        return answers.isEmpty() ? int(MessageRequest::Yes) : answers.takeFirst();
    };
    // What a subsystem put on the status line, in order: captions as they
    // are, colours as "#BBGGRR".
    QStringList log;

    explicit PortRig(bool open = true)
    {
        peer.linkAs(dir.linkPath(1));
        comm.setLinkDirectory(dir.path());
        comm.setRThreshold(1);
        comm.setInputLen(1);
        if (open)
            comm.setPortOpen(true);
    }

    template<typename T>
    void record(T *subsystem)
    {
        QObject::connect(subsystem, &T::statusChanged, [this](const QString &s) { log << s; });
        if constexpr (requires { &T::statusColourChanged; }) {
            QObject::connect(subsystem, &T::statusColourChanged,
                             [this](std::uint32_t c) { log << QStringLiteral("#%1").arg(c, 6, 16, QChar(u'0')).toUpper(); });
        }
    }
};
