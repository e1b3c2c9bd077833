#pragma once

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStringList>

// The project's simulated device, run as its own process: it creates
// com<port> in a folder and answers behind a pseudo-terminal, with the
// fault options given.
class SimProcess
{
public:
    SimProcess(const QString &directory, const QStringList &options)
        : m_logPath(QDir(directory).filePath(QStringLiteral("sim.log")))
    {
        m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_process.start(QStringLiteral(TAVERMUND_SIM_PATH),
                        QStringList{"--dir", directory, "--port", "1", "--log", m_logPath} + options);
        QByteArray out;
        while (!out.contains("READY") && m_process.waitForReadyRead(5000))
            out += m_process.readAllStandardOutput();
        m_ready = out.contains("READY");
        m_slave = QString::fromLocal8Bit(out.mid(out.indexOf("READY ") + 6).split(' ').value(0));
    }
    ~SimProcess() { stop(); }
    // The board goes away, its pseudo-terminal with it.
    void stop()
    {
        m_process.terminate();
        if (!m_process.waitForFinished(3000))
            m_process.kill();
        m_process.waitForFinished(1000);
    }

    bool ready() const { return m_ready; }
    QString slave() const { return m_slave; }
    // The lines it took, in order.
    QStringList heard() const
    {
        QFile log(m_logPath);
        QStringList lines;
        for (const QByteArray &line : log.open(QIODevice::ReadOnly) ? log.readAll().split('\n') : QList<QByteArray>())
            if (line.contains(" rx "))
                lines << QString::fromLatin1(line.mid(line.indexOf(" rx ") + 4));
        return lines;
    }
    // How often the event ("<ms> <event> [data]" per line) is in its log.
    int count(const QByteArray &event) const
    {
        QFile log(m_logPath);
        return log.open(QIODevice::ReadOnly) ? int(log.readAll().count(event)) : 0;
    }

private:
    QProcess m_process;
    QString m_logPath;
    QString m_slave;
    bool m_ready = false;
};
