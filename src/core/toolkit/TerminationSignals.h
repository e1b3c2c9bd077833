#pragma once

#include <QObject>

#include <memory>

// Being told to end from outside - the desktop session ending, Ctrl+C, the
// terminal or console going away - by default kills a program on the spot,
// with its serial port open and, on Linux, its lock file left behind. While
// an instance lives, these are caught instead and reported by received(),
// where the program can end cleanly. One instance at a time.
//
// POSIX (TerminationSignals_posix.cpp): SIGTERM, SIGINT and SIGHUP. The
// handler only writes the signal's number into a pipe, which is
// async-signal-safe; a socket notifier reads it in the event loop. The
// previous handlers come back when the instance goes.
//
// Windows (TerminationSignals_windows.cpp): Ctrl+C and Ctrl+Break (SIGINT)
// and the console closing (SIGTERM), from a console control handler, in the
// event loop; the session ending (SIGTERM) from WM_ENDSESSION, reported at
// once, since Windows may end the process as soon as that message returns.
class TerminationSignals : public QObject
{
    Q_OBJECT

public:
    explicit TerminationSignals(QObject *parent = nullptr);
    ~TerminationSignals() override;

signals:
    void received(int signalNumber);

private:
    struct Hook; // what the system's side keeps while the instance lives
    std::unique_ptr<Hook> m_hook;
};
