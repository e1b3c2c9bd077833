#include "serial/PortLinker.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <unistd.h>

namespace {

QString systemReason(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

} // namespace

PortLinker::Result PortLinker::link(const QString &directory, int portNumber, const QString &target)
{
    Result r;
    r.linkPath = QDir(directory).filePath(QStringLiteral("com%1").arg(portNumber));
    if (portNumber < 1 || portNumber > 255) {
        r.outcome = Outcome::Refused;
        r.reason = QStringLiteral("COM %1 is not a port number: use 1 to 255").arg(portNumber);
        return r;
    }
    const QFileInfo existing(r.linkPath);
    if (existing.exists() && !existing.isSymLink()) {
        r.outcome = Outcome::Refused;
        r.reason = QStringLiteral("%1 is not a symbolic link, so it was left as it is").arg(r.linkPath);
        return r;
    }

    // A link under a name of its own first, then renamed over the old one.
    const QByteArray wanted = QFile::encodeName(r.linkPath);
    const QByteArray fresh = QFile::encodeName(
        QDir(directory).filePath(QStringLiteral(".com%1.%2.new").arg(portNumber).arg(::getpid())));
    ::unlink(fresh.constData());
    if (::symlink(QFile::encodeName(target).constData(), fresh.constData()) != 0
        || std::rename(fresh.constData(), wanted.constData()) != 0) {
        const int error = errno;
        ::unlink(fresh.constData());
        r.outcome = Outcome::Failed;
        r.reason = systemReason(error);
    }
    return r;
}
