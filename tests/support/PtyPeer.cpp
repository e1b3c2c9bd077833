#include "PtyPeer.h"

#include <QCoreApplication>
#include <QFile>
#include <QSocketNotifier>
#include <QTimer>

#include <poll.h>
#include <unistd.h>

PtyPeer::PtyPeer()
{
    m_clock.start();
    if (const std::string error = m_pty.create(); !error.empty())
        qFatal("%s", error.c_str());
    m_notifier = std::make_unique<QSocketNotifier>(m_pty.descriptor(), QSocketNotifier::Read);
    connect(m_notifier.get(), &QSocketNotifier::activated, this, &PtyPeer::onReadable);
}

PtyPeer::~PtyPeer()
{
    hangUp();
}

bool PtyPeer::linkAs(const QString &linkPath) const
{
    QFile::remove(linkPath);
    return QFile::link(slavePath(), linkPath);
}

void PtyPeer::write(const QByteArray &bytes)
{
    for (qsizetype done = 0; m_pty.isValid() && done < bytes.size();) {
        const PtyEndpoint::Io io = m_pty.write(bytes.constData() + done, std::size_t(bytes.size() - done));
        if (io.hungUp)
            return;
        done += io.bytes;
        if (io.bytes == 0) // the pty is full: let the tool (in this same event loop) read
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
}

void PtyPeer::hangUp()
{
    if (m_notifier) {
        // We may be inside the notifier's own signal.
        m_notifier->setEnabled(false);
        m_notifier.release()->deleteLater();
    }
    m_pty.close();
}

void PtyPeer::clearReceived()
{
    m_received.clear();
    m_arrivals.clear();
}

qint64 PtyPeer::arrivalOf(const QByteArray &needle, qsizetype from) const
{
    const qsizetype at = m_received.indexOf(needle, from);
    for (const auto &[ms, size] : m_arrivals) {
        if (at >= 0 && size >= at + needle.size())
            return ms;
    }
    return -1;
}

bool PtyPeer::slaveOpen() const
{
    const timespec now{};
    return m_pty.isValid() && (m_pty.poll(0, &now, nullptr) & POLLHUP) == 0;
}

termios PtyPeer::lineSettings() const
{
    termios tio{};
    ::tcgetattr(m_pty.descriptor(), &tio);
    return tio;
}

void PtyPeer::onReadable()
{
    char buffer[4096];
    for (;;) {
        const PtyEndpoint::Io io = m_pty.read(buffer, sizeof buffer);
        if (io.bytes > 0) {
            m_received.append(buffer, io.bytes);
            m_inAll += io.bytes;
            m_arrivals.append({m_clock.elapsed(), m_received.size()});
            emit bytesArrived();
            if (!m_pty.isValid())
                return; // a handler hung up
            continue;
        }
        if (io.hungUp) {
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
