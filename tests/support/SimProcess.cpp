#include "SimProcess.h"

#include <QDir>
#include <QFile>

SimProcess::SimProcess(const QString &directory, const QStringList &options, int port)
    : m_logPath(QDir(directory).filePath(QStringLiteral("sim.log")))
{
    QStringList args{QStringLiteral("--dir"), directory, QStringLiteral("--port"), QString::number(port),
                     QStringLiteral("--log"), m_logPath};
    args += options;
    m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_process.start(QStringLiteral(TAVERMUND_SIM_PATH), args);
    if (!m_process.waitForStarted(5000))
        return;
    QByteArray out;
    while (!out.contains("READY") && m_process.waitForReadyRead(5000))
        out += m_process.readAllStandardOutput();
    m_ready = out.contains("READY");
}

SimProcess::~SimProcess()
{
    m_process.terminate();
    if (!m_process.waitForFinished(3000))
        m_process.kill();
    m_process.waitForFinished(1000);
}

QByteArray SimProcess::log() const
{
    QFile file(m_logPath);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

int SimProcess::count(const QByteArray &event) const
{
    return int(log().count(event));
}
