#pragma once

#include <QObject>

class QSocketNotifier;

// The signals that ask a program to end - SIGTERM when the desktop session
// ends, SIGINT from Ctrl+C, SIGHUP when its terminal goes away - by default
// kill it on the spot, with its serial port open and its lock file left
// behind. While an instance lives, they are caught instead and reported by
// received(), from the event loop, where the program can end cleanly.
//
// The handler only writes the signal's number into a pipe, which is
// async-signal-safe; a socket notifier reads it in the event loop. One
// instance at a time; the previous handlers come back when it goes.
class TerminationSignals : public QObject
{
    Q_OBJECT

public:
    explicit TerminationSignals(QObject *parent = nullptr);
    ~TerminationSignals() override;

signals:
    void received(int signalNumber);

private:
    void readPipe();

    int m_pipe[2] = {-1, -1};
    QSocketNotifier *m_notifier = nullptr;
};
