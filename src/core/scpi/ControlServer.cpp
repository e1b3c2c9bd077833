#include "scpi/ControlServer.h"

#include "app/BenchStation.h"
#include "scpi/ScpiConnection.h"
#include "scpi/ScpiSession.h"

#include <QDir>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTcpSocket>

ControlServer::ControlServer(BenchStation &station, std::chrono::milliseconds answerTimeout, QObject *parent)
    : QObject(parent)
    , m_station(station)
    , m_requests(station, answerTimeout)
{
}

ControlServer::~ControlServer() = default;

QString ControlServer::socketPath(const QString &device)
{
    const QString canonical = QFileInfo(device).canonicalFilePath();
    const QString name = QStringLiteral("tavermund-")
        + QString::fromLatin1((canonical.isEmpty() ? device : canonical).toUtf8().toPercentEncoding());
#ifdef Q_OS_WIN
    return name; // a named pipe of this session: no folder to put it in
#else
    return QDir(QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation)).filePath(name);
#endif
}

void ControlServer::serveLocally()
{
    connect(&m_station, &BenchStation::settingsLoaded, this, &ControlServer::followDevice, Qt::UniqueConnection);
    followDevice();
}

// Listens under the name of the device the port opens now.
void ControlServer::followDevice()
{
    const QString device = m_station.deviceInUse();
    const QString path = device.isEmpty() ? QString() : socketPath(device);
    if (path == m_localPath)
        return;
    delete m_local;
    m_local = nullptr;
    m_localPath.clear();
    if (path.isEmpty())
        return;
    QLocalSocket probe;
    probe.connectToServer(path);
    if (probe.waitForConnected(200)) {
        emit problem(QStringLiteral("%1 is served by another program already").arg(device));
        return;
    }
    QLocalServer::removeServer(path); // a socket left by a program that has gone
    m_local = new QLocalServer(this);
    m_local->setSocketOptions(QLocalServer::UserAccessOption);
    connect(m_local, &QLocalServer::newConnection, this, &ControlServer::acceptLocal);
    if (!m_local->listen(path)) {
        emit problem(QStringLiteral("cannot serve %1 on %2: %3").arg(device, path, m_local->errorString()));
        delete m_local;
        m_local = nullptr;
        return;
    }
    m_localPath = path;
}

bool ControlServer::serveTcp(quint16 port, QString *error)
{
    for (const QHostAddress &address : {QHostAddress(QHostAddress::LocalHost), QHostAddress(QHostAddress::LocalHostIPv6)}) {
        auto *server = new QTcpServer(this);
        // Both on one port: the second takes the port the first was given.
        if (!server->listen(address, m_tcp.isEmpty() ? port : m_tcp.front()->serverPort())) {
            if (m_tcp.isEmpty() && error)
                *error = QStringLiteral("cannot serve on %1 port %2: %3").arg(address.toString()).arg(port).arg(server->errorString());
            delete server;
            if (m_tcp.isEmpty())
                return false;
            continue; // no IPv6 loopback here
        }
        connect(server, &QTcpServer::newConnection, this, [this, server] { acceptTcp(server); });
        m_tcp << server;
    }
    return true;
}

quint16 ControlServer::tcpPort() const
{
    return m_tcp.isEmpty() ? 0 : m_tcp.front()->serverPort();
}

void ControlServer::acceptLocal()
{
    while (QLocalSocket *socket = m_local->nextPendingConnection())
        adopt(socket);
}

void ControlServer::acceptTcp(QTcpServer *server)
{
    while (QTcpSocket *socket = server->nextPendingConnection())
        adopt(socket);
}

void ControlServer::adopt(QIODevice *socket)
{
    if (m_clients >= MaxClients) {
        socket->close();
        socket->deleteLater();
        return;
    }
    ++m_clients;
    auto *connection = new ScpiConnection(socket, new ScpiSession(m_station, m_requests), this);
    connect(connection, &ScpiConnection::closed, this, [this] { --m_clients; });
}
