#include "toolkit/Executable.h"

#include <QCoreApplication>
#include <QFileInfo>

Executable Executable::running()
{
    Executable exe;
    exe.directory = QCoreApplication::applicationDirPath();
#ifdef Q_OS_WIN
    constexpr bool windows = true;
#else
    constexpr bool windows = false;
#endif
    exe.name = nameOf(QFileInfo(QCoreApplication::applicationFilePath()).fileName(), windows);
    return exe;
}

QString Executable::nameOf(const QString &fileName, bool windows)
{
    if (windows && fileName.endsWith(QStringLiteral(".exe"), Qt::CaseInsensitive))
        return fileName.chopped(4);
    return fileName;
}
