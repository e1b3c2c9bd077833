#include "TempExeDir.h"

#include <QFile>

TempExeDir::TempExeDir(const QString &exeName)
    : m_name(exeName)
{
}

QString TempExeDir::iniPath() const
{
    return m_dir.filePath(m_name + QStringLiteral(".ini"));
}

QString TempExeDir::linkPath(int port) const
{
    return m_dir.filePath(QStringLiteral("com%1").arg(port));
}

void TempExeDir::writeIni(const QByteArray &bytes) const
{
    QFile file(iniPath());
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(iniPath()));
}

QByteArray TempExeDir::readIni() const
{
    QFile file(iniPath());
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

bool TempExeDir::iniExists() const
{
    return QFile::exists(iniPath());
}
