#include "serial/DeviceAccess.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

bool DeviceAccess::exists(const QString &path)
{
    return QFileInfo::exists(path);
}

QString DeviceAccess::realPath(const QString &path)
{
    return QFileInfo(path).canonicalFilePath();
}

bool DeviceAccess::mayReadAndWrite(const QString &path)
{
    return ::access(QFile::encodeName(path).constData(), R_OK | W_OK) == 0;
}

bool DeviceAccess::refusesThisUser(const QString &path)
{
    if (mayReadAndWrite(path))
        return false;
    return errno == EACCES || errno == EPERM;
}

bool DeviceAccess::hasNoDevice(const QString &path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (fd >= 0) {
        ::close(fd);
        return false;
    }
    return errno == EIO || errno == ENXIO || errno == ENODEV;
}

bool DeviceAccess::isCharacterDevice(const QString &path)
{
    struct stat st{};
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 && S_ISCHR(st.st_mode);
}
