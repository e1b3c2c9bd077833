#pragma once

#include <QByteArray>
#include <QObject>
#include <QPointer>

class QIODevice;
class ScpiSession;

// One client's socket: cuts what it sends into lines for its session and
// writes the session's answers back, within bounds that keep a bad client
// from hurting the bench.
//  - A line is at most MaxLineBytes; a longer one is refused with an error
//    and dropped up to its line end.
//  - A client that does not read its answers is dropped once MaxUnsentBytes
//    of them wait.
// Lines end with LF; a CR before it is dropped. The connection deletes
// itself, and its session, once the client has gone.
class ScpiConnection : public QObject
{
    Q_OBJECT

public:
    static constexpr qsizetype MaxLineBytes = 4096;
    static constexpr qint64 MaxUnsentBytes = 64 * 1024;

    // Takes over the socket and the session.
    ScpiConnection(QIODevice *socket, ScpiSession *session, QObject *parent = nullptr);

signals:
    void closed();

private:
    void readLines();
    void write(const QByteArray &line);
    void drop();

    QPointer<QIODevice> m_socket;
    ScpiSession *m_session;
    QByteArray m_pending;
    bool m_skipping = false; // inside a line that was too long
};
