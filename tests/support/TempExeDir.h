#pragma once

#include "toolkit/Executable.h"

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

// A folder that stands in for the executable's: it holds the settings file
// and the com<n> links of one test.
class TempExeDir
{
public:
    explicit TempExeDir(const QString &exeName = QStringLiteral("Tavermund"));

    Executable executable() const { return {m_dir.path(), m_name}; }
    QString path() const { return m_dir.path(); }
    QString iniPath() const;
    QString linkPath(int port) const;

    void writeIni(const QByteArray &bytes) const;
    QByteArray readIni() const; // empty when there is no file
    bool iniExists() const;

private:
    QTemporaryDir m_dir;
    QString m_name;
};
