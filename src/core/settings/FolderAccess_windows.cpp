#include "settings/FolderAccess.h"

#include <QDir>
#include <QTemporaryFile>

// A file made there and removed again at once, when the probe goes.
bool FolderAccess::takesNewFiles(const QString &folder)
{
    QTemporaryFile probe(QDir(folder).filePath(QStringLiteral(".tavermund-probe")));
    return probe.open();
}
