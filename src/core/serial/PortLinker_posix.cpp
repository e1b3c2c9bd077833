#include "serial/PortLinker.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <unistd.h>

namespace {

QString systemReason(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

// A link to `target` under a name of its own first, then renamed over
// `linkPath`. Returns 0, or the error number.
int placeLink(const QString &linkPath, const QByteArray &target)
{
    const QFileInfo link(linkPath);
    const QByteArray wanted = QFile::encodeName(linkPath);
    const QByteArray fresh = QFile::encodeName(
        link.dir().filePath(QStringLiteral(".%1.%2.new").arg(link.fileName()).arg(::getpid())));
    ::unlink(fresh.constData());
    if (::symlink(target.constData(), fresh.constData()) == 0 && std::rename(fresh.constData(), wanted.constData()) == 0)
        return 0;
    const int error = errno;
    ::unlink(fresh.constData());
    return error;
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

    r.replaced = existing.isSymLink();
    if (r.replaced) {
        QByteArray old(PATH_MAX, Qt::Uninitialized);
        const ssize_t size = ::readlink(QFile::encodeName(r.linkPath).constData(), old.data(), old.size());
        r.previousTarget = old.left(std::max<ssize_t>(size, 0));
    }
    if (const int error = placeLink(r.linkPath, QFile::encodeName(target))) {
        r.outcome = Outcome::Failed;
        r.reason = systemReason(error);
    }
    return r;
}

QString PortLinker::undo(const Result &linked)
{
    const int error = linked.replaced ? placeLink(linked.linkPath, linked.previousTarget)
                                      : (::unlink(QFile::encodeName(linked.linkPath).constData()) == 0 ? 0 : errno);
    return error ? systemReason(error) : QString();
}
