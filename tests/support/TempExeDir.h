#pragma once

#include "toolkit/Executable.h"

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

// A folder that stands in for the executable's: it holds the settings file
// and the com<n> links of one test.
class TempExeDir
{
public:
    explicit TempExeDir(const QString &exeName = QStringLiteral("Tavermund"))
        : m_name(exeName)
    {
    }

    Executable executable() const { return {m_dir.path(), m_name}; }
    QString path() const { return m_dir.path(); }
    QString iniPath() const { return m_dir.filePath(m_name + QStringLiteral(".ini")); }
    QString linkPath(int port) const { return m_dir.filePath(QStringLiteral("com%1").arg(port)); }
    bool iniExists() const { return QFile::exists(iniPath()); }

    void writeIni(const QByteArray &bytes) const
    {
        QFile file(iniPath());
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
            qFatal("cannot write %s", qPrintable(iniPath()));
    }
    // Empty when there is no file.
    QByteArray readIni() const
    {
        QFile file(iniPath());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

private:
    QTemporaryDir m_dir;
    QString m_name;
};
