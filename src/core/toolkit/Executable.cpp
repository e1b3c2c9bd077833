#include "toolkit/Executable.h"

#include <QCoreApplication>
#include <QFileInfo>

Executable Executable::at(const QString &filePath, Platform platform)
{
    const bool windows = platform == Platform::Windows;
    const QFileInfo file(windows ? QString(filePath).replace(u'\\', u'/') : filePath);
    QString name = file.fileName();
    if (windows && name.endsWith(QStringLiteral(".exe"), Qt::CaseInsensitive))
        name.chop(4);
    return {file.path(), name};
}

Executable Executable::running()
{
    return at(QCoreApplication::applicationFilePath());
}
