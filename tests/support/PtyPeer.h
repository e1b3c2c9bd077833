#pragma once

#include "PtyEndpoint.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QList>
#include <QObject>
#include <QString>

#include <memory>

#include <termios.h>

class QSocketNotifier;

// The far end of a pseudo-terminal: plays the device for a test.
//
// The tool opens the slave side (through a com<n> link); the test reads and
// writes the master. Everything the tool sends is collected with its
// arrival time while the Qt event loop runs, so tests can wait with
// QTRY_COMPARE and check both the bytes and their timing.
class PtyPeer : public QObject
{
    Q_OBJECT

public:
    PtyPeer();
    ~PtyPeer() override;

    QString slavePath() const { return QString::fromStdString(m_pty.slavePath()); }
    // Makes `linkPath` a symbolic link to the slave, replacing an old one.
    bool linkAs(const QString &linkPath) const;

    void write(const QByteArray &bytes);
    // The master side goes away: the tool sees a hang-up.
    void hangUp();

    QByteArray received() const { return m_received; }
    // Bytes received since the start, whatever was cleared since.
    qint64 receivedInAll() const { return m_inAll; }
    void clearReceived();
    qint64 elapsedMs() const { return m_clock.elapsed(); }
    // Arrival time of the first occurrence of `needle` after byte `from`, or -1.
    qint64 arrivalOf(const QByteArray &needle, qsizetype from = 0) const;

    // The slave is held open by someone (the tool's port is open).
    bool slaveOpen() const;
    // The line settings the tool put on the port (the master shares them).
    termios lineSettings() const;

signals:
    void bytesArrived();

private:
    void onReadable();

    PtyEndpoint m_pty;
    QByteArray m_received;
    qint64 m_inAll = 0;
    QList<std::pair<qint64, qsizetype>> m_arrivals; // when, and how much had arrived by then
    QElapsedTimer m_clock;
    std::unique_ptr<QSocketNotifier> m_notifier;
};
