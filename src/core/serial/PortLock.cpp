#include "serial/PortLock.h"

#include "serial/CommError.h"

#include <QSerialPort>

#ifdef Q_OS_UNIX
#include <QFile>

#include <cerrno>
#include <climits>
#include <csignal>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>
#endif

QString PortLock::lockFilePath(const QString &device)
{
    // QSerialPort's own name: the path below /dev with '/' as '_'.
    QString name = device.startsWith(QLatin1String("/dev/")) ? device.mid(5) : device;
    return QStringLiteral("/var/lock/LCK..") + name.replace(u'/', u'_');
}

#ifdef Q_OS_UNIX

namespace {

[[noreturn]] void refuse(const QString &holder, const QString &how)
{
    throw CommError(CommError::PortAlreadyOpen,
                    QStringLiteral("held by %1%2: end that program first, or choose another port").arg(holder, how));
}

bool isAlive(qint64 pid)
{
    return pid > 0 && pid <= INT_MAX && (::kill(pid_t(pid), 0) == 0 || errno == EPERM);
}

// "minicom (PID 4242)": the program running as `pid`, else the one its
// lock file names.
QString holder(qint64 pid, QString program = {})
{
    QFile comm(QStringLiteral("/proc/%1/comm").arg(pid));
    if (comm.open(QIODevice::ReadOnly))
        program = QString::fromLocal8Bit(comm.readAll().trimmed());
    return program.isEmpty() ? QStringLiteral("process %1").arg(pid) : QStringLiteral("%1 (PID %2)").arg(program).arg(pid);
}

// Who holds an flock on the file `st` describes, by /proc/locks: lines such
// as "1: FLOCK  ADVISORY  WRITE 4242 00:19:3 0 EOF" (device in hex, inode in
// decimal); 0 when nobody is listed.
qint64 flockHolder(const struct stat &st)
{
    QFile locks(QStringLiteral("/proc/locks"));
    if (!locks.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray file = QByteArray::number(major(st.st_dev), 16).rightJustified(2, '0') + ':'
        + QByteArray::number(minor(st.st_dev), 16).rightJustified(2, '0') + ':' + QByteArray::number(qulonglong(st.st_ino));
    // Its size reads as 0, so it is read to its end rather than line by line.
    for (const QByteArray &line : locks.readAll().split('\n')) {
        const QList<QByteArray> fields = line.simplified().split(' ');
        // Waiting requests read "1: -> FLOCK ..." and hold nothing.
        if (fields.size() > 5 && fields[1] == "FLOCK" && fields[5] == file)
            return fields[4].toLongLong();
    }
    return 0;
}

} // namespace

void PortLock::checkLockFile(const QString &device)
{
    QFile file(lockFilePath(device));
    if (!file.open(QIODevice::ReadOnly))
        return;
    // "%10d\n", or QLockFile's "PID\nprogram\nhost\n...".
    const QList<QByteArray> lines = file.read(4096).split('\n');
    bool isNumber = false;
    const qint64 pid = lines[0].trimmed().toLongLong(&isNumber);
    if (isNumber && isAlive(pid))
        refuse(holder(pid, QString::fromUtf8(lines.value(1))), QStringLiteral(", lock file ") + file.fileName());
}

void PortLock::take(const QSerialPort &port, const QString &device)
{
    const int descriptor = port.handle();
    if (::flock(descriptor, LOCK_EX | LOCK_NB) == 0) {
        m_descriptor = descriptor;
        return;
    }
    if (errno != EWOULDBLOCK)
        return;
    struct stat st {};
    const qint64 pid = ::stat(QFile::encodeName(device).constData(), &st) == 0 ? flockHolder(st) : 0;
    refuse(pid > 0 ? holder(pid) : QStringLiteral("another program"), QStringLiteral(" with an exclusive lock"));
}

void PortLock::release()
{
    if (m_descriptor >= 0)
        ::flock(m_descriptor, LOCK_UN);
    m_descriptor = -1;
}

#else

void PortLock::checkLockFile(const QString &)
{
}

void PortLock::take(const QSerialPort &, const QString &)
{
}

void PortLock::release()
{
}

#endif
