#include "scpi/ScpiConnection.h"

#include "scpi/ScpiSession.h"

#include <QAbstractSocket>
#include <QLocalSocket>

ScpiConnection::ScpiConnection(QIODevice *socket, ScpiSession *session, QObject *parent)
    : QObject(parent)
    , m_socket(socket)
    , m_session(session)
{
    socket->setParent(this);
    session->setParent(this);
    connect(socket, &QIODevice::readyRead, this, &ScpiConnection::readLines);
    connect(session, &ScpiSession::answer, this, &ScpiConnection::write);
    if (auto *local = qobject_cast<QLocalSocket *>(socket))
        connect(local, &QLocalSocket::disconnected, this, &ScpiConnection::drop);
    else if (auto *tcp = qobject_cast<QAbstractSocket *>(socket))
        connect(tcp, &QAbstractSocket::disconnected, this, &ScpiConnection::drop);
    readLines();
}

void ScpiConnection::readLines()
{
    while (m_socket && m_socket->bytesAvailable() > 0) {
        m_pending += m_socket->read(MaxLineBytes + 1 - m_pending.size());
        qsizetype end;
        while ((end = m_pending.indexOf('\n')) >= 0) {
            QByteArray line = m_pending.left(end);
            m_pending.remove(0, end + 1);
            if (std::exchange(m_skipping, false))
                continue;
            if (line.endsWith('\r'))
                line.chop(1);
            m_session->takeLine(QString::fromUtf8(line));
        }
        if (m_pending.size() > MaxLineBytes) {
            if (!m_skipping)
                m_session->refuseLongLine();
            m_skipping = true;
            m_pending.clear();
        }
    }
}

void ScpiConnection::write(const QByteArray &line)
{
    if (!m_socket)
        return;
    if (m_socket->bytesToWrite() + line.size() > MaxUnsentBytes)
        return drop();
    m_socket->write(line);
}

void ScpiConnection::drop()
{
    if (!m_socket)
        return;
    disconnect(m_socket, nullptr, this, nullptr);
    // Answers still waiting go with it: the socket, a child of this
    // connection, is deleted with it, which ends the connection at once.
    m_socket->close();
    m_socket = nullptr;
    emit closed();
    deleteLater();
}
