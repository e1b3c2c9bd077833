#pragma once

#include "request/RequestQueue.h"

#include <QList>
#include <QObject>
#include <QString>

#include <chrono>

class BenchStation;
class QLocalServer;
class QTcpServer;

// Serves a bench station as an instrument: SCPI text commands over a local
// socket, and over TCP when asked, for scripts and lab automation (pyvisa,
// LabVIEW) to drive the board that the station holds, beside whoever else
// works it. Commands of all clients go through one request queue, one at a
// time (see ScpiSession).
//
// Where it listens:
//  - a local socket that only the same user can open, named after the
//    device the station's port opens, by its canonical path, so that COM n
//    and the device it links to are one port (socketPath()); it follows
//    the device when the settings change;
//  - TCP only when asked, and only on the loopback addresses 127.0.0.1 and
//    ::1, never another.
class ControlServer : public QObject
{
    Q_OBJECT

public:
    // How long a command waits for the board's answer.
    static constexpr std::chrono::milliseconds AnswerTimeout{5000};
    // Clients at once; one more is turned away.
    static constexpr int MaxClients = 64;

    explicit ControlServer(BenchStation &station, std::chrono::milliseconds answerTimeout = AnswerTimeout,
                           QObject *parent = nullptr);
    ~ControlServer() override;

    // Serves on the local socket of the port in use, from now on.
    void serveLocally();
    // Serves on TCP port `port` of the loopback addresses (0: any free
    // port); false, with the reason, when 127.0.0.1 cannot be had.
    bool serveTcp(quint16 port, QString *error);
    quint16 tcpPort() const;
    QString localPath() const { return m_localPath; }

    // The local socket of a device: in the user's runtime folder, named
    // after the device's canonical path.
    static QString socketPath(const QString &device);

signals:
    // What the server could not do, in words (another process serves the
    // same device, say).
    void problem(const QString &text);

private:
    void followDevice();
    void acceptLocal();
    void acceptTcp(QTcpServer *server);
    void adopt(QIODevice *socket);

    BenchStation &m_station;
    RequestQueue m_requests;
    QLocalServer *m_local = nullptr;
    QString m_localPath;
    QList<QTcpServer *> m_tcp;
    int m_clients = 0;
};
