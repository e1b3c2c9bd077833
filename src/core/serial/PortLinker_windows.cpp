#include "serial/PortLinker.h"

#include <QDir>

PortLinker::Result PortLinker::link(const QString &directory, int portNumber, const QString &target)
{
    Result r;
    r.outcome = Outcome::Refused;
    r.linkPath = QDir(directory).filePath(QStringLiteral("com%1").arg(portNumber));
    r.reason = QStringLiteral("Windows names its ports itself: COM %1 is COM%1, and no link makes it %2")
                   .arg(portNumber)
                   .arg(target);
    return r;
}

// Nothing was linked, so nothing is put back.
QString PortLinker::undo(const Result &)
{
    return QString();
}
