#include "PtyPeer.h"

#include <QCoreApplication>
#include <QFile>
#include <QSocketNotifier>
#include <QTimer>

#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

PtyPeer::PtyPeer()
{
    m_clock.start();
    int slave = -1;
    char name[256] = {};
    if (::openpty(&m_master, &slave, name, nullptr, nullptr) != 0)
        qFatal("openpty failed: %s", strerror(errno));
    termios tio{};
    ::tcgetattr(slave, &tio);
    ::cfmakeraw(&tio);
    ::tcsetattr(slave, TCSANOW, &tio);
    ::close(slave); // only the tool holds the slave
    m_slavePath = QString::fromLocal8Bit(name);
    ::fcntl(m_master, F_SETFL, ::fcntl(m_master, F_GETFL) | O_NONBLOCK);

    m_notifier = std::make_unique<QSocketNotifier>(m_master, QSocketNotifier::Read);
    connect(m_notifier.get(), &QSocketNotifier::activated, this, &PtyPeer::onReadable);
}

PtyPeer::~PtyPeer()
{
    hangUp();
}

bool PtyPeer::linkAs(const QString &linkPath) const
{
    QFile::remove(linkPath);
    return ::symlink(QFile::encodeName(m_slavePath).constData(), QFile::encodeName(linkPath).constData()) == 0;
}

void PtyPeer::write(const QByteArray &bytes)
{
    qsizetype done = 0;
    while (m_master >= 0 && done < bytes.size()) {
        const ssize_t n = ::write(m_master, bytes.constData() + done, size_t(bytes.size() - done));
        if (n > 0) {
            done += n;
        } else if (n < 0 && errno == EAGAIN) {
            // The pty is full: let the tool (in this same event loop) read.
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
            pollfd p{m_master, POLLOUT, 0};
            ::poll(&p, 1, 5);
        } else if (n < 0 && errno != EINTR) {
            break;
        }
    }
}

void PtyPeer::hangUp()
{
    if (m_notifier) {
        // We may be inside the notifier's own signal.
        m_notifier->setEnabled(false);
        m_notifier.release()->deleteLater();
    }
    if (m_master >= 0) {
        ::close(m_master);
        m_master = -1;
    }
}

void PtyPeer::clearReceived()
{
    m_received.clear();
    m_chunks.clear();
}

qint64 PtyPeer::arrivalOf(const QByteArray &needle, qsizetype from) const
{
    const qsizetype at = m_received.indexOf(needle, from);
    if (at < 0)
        return -1;
    qsizetype offset = 0;
    for (const Chunk &chunk : m_chunks) {
        offset += chunk.bytes.size();
        if (offset > at + needle.size() - 1)
            return chunk.ms;
    }
    return -1;
}

bool PtyPeer::slaveOpen() const
{
    if (m_master < 0)
        return false;
    pollfd p{m_master, 0, 0};
    ::poll(&p, 1, 0);
    return (p.revents & POLLHUP) == 0;
}

termios PtyPeer::lineSettings() const
{
    termios tio{};
    ::tcgetattr(m_master, &tio);
    return tio;
}

void PtyPeer::onReadable()
{
    char buffer[4096];
    for (;;) {
        const ssize_t n = ::read(m_master, buffer, sizeof buffer);
        if (n > 0) {
            const QByteArray bytes(buffer, n);
            m_received += bytes;
            m_chunks.append({m_clock.elapsed(), bytes});
            emit bytesArrived();
            if (m_master < 0)
                return; // a handler hung up
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno == EIO) {
            // Nobody holds the slave: the master reads EIO until someone
            // opens it again. Look again a little later instead of spinning.
            m_notifier->setEnabled(false);
            QTimer::singleShot(20, this, [this] {
                if (m_notifier)
                    m_notifier->setEnabled(true);
            });
        }
        return;
    }
}
