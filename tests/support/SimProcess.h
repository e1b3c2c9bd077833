#pragma once

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QStringList>

// The project's simulated device, run as its own process: it creates
// com<port> in a folder and answers behind a pseudo-terminal, with the
// fault options given.
class SimProcess
{
public:
    SimProcess(const QString &directory, const QStringList &options, int port = 1);
    ~SimProcess();

    bool ready() const { return m_ready; }
    // The simulator's event log so far ("<ms> <event> [data]" per line).
    QByteArray log() const;
    int count(const QByteArray &event) const;

private:
    QProcess m_process;
    QString m_logPath;
    bool m_ready = false;
};
