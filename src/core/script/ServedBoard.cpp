#include "script/ServedBoard.h"

#include "request/ReplyValue.h"
#include "script/ExitCode.h"

#ifdef Q_OS_LINUX
#include <sys/socket.h>
#endif

namespace {

using Kind = BoardRequest::Kind;
using Status = RequestOutcome::Status;

// A line of answers split at the ';' that are not inside a quoted string.
QStringList answers(const QString &line)
{
    QStringList parts{QString()};
    bool quoted = false;
    for (const QChar c : line) {
        if (c == u'"')
            quoted = !quoted;
        if (c == u';' && !quoted)
            parts << QString();
        else
            parts.last() += c;
    }
    return parts;
}

// -240,"Hardware error; no answer to ..." -> the number and the words after
// the error's own name.
std::pair<int, QString> error(const QString &text)
{
    const int code = text.section(u',', 0, 0).toInt();
    QString words = text.section(u',', 1).mid(1).chopped(1).replace(QStringLiteral("\"\""), QStringLiteral("\""));
    const qsizetype detail = words.indexOf(QStringLiteral("; "));
    return {code, detail < 0 ? words : words.mid(detail + 2)};
}

} // namespace

ServedBoard::ServedBoard(QString socketPath, QString port, std::chrono::milliseconds timeout, QObject *parent)
    : ScriptBoard(parent)
    , m_path(std::move(socketPath))
    , m_port(std::move(port))
    , m_timeout(timeout)
{
    m_poll.setInterval(std::chrono::milliseconds(100));
    connect(&m_poll, &QTimer::timeout, this, &ServedBoard::askStatus);
    m_deadline.setSingleShot(true);
    connect(&m_deadline, &QTimer::timeout, this, &ServedBoard::timeUp);
    connect(&m_socket, &QLocalSocket::disconnected, this, [this] {
        emit failed(PortError, QStringLiteral("%1 went away").arg(server()));
    });
}

bool ServedBoard::connectNow()
{
    m_socket.connectToServer(m_path);
    if (!m_socket.waitForConnected(500))
        return false;
#ifdef Q_OS_LINUX
    ucred peer{};
    socklen_t size = sizeof peer;
    if (getsockopt(int(m_socket.socketDescriptor()), SOL_SOCKET, SO_PEERCRED, &peer, &size) == 0)
        m_pid = peer.pid;
#endif
    // Who it serves, and a clean error queue.
    m_socket.write("*CLS;*IDN?\n");
    if (!m_socket.waitForReadyRead(int(m_timeout.count())) || !m_socket.canReadLine())
        return false;
    const QString identity = QString::fromUtf8(m_socket.readLine()).trimmed();
    if (!identity.startsWith(QStringLiteral("Tavermund,")))
        return false;
    m_deviceId = identity.section(u',', 2, 2);
    connect(&m_socket, &QLocalSocket::readyRead, this, &ServedBoard::readAnswers);
    return true;
}

QString ServedBoard::server() const
{
    return m_pid > 0 ? QStringLiteral("Tavermund (pid %1)").arg(m_pid) : QStringLiteral("Tavermund");
}

QString ServedBoard::name() const
{
    return QStringLiteral("device \"%1\" on %2 through %3").arg(m_deviceId, m_port, server());
}

void ServedBoard::open()
{
    m_searching = true;
    m_deadline.start(m_timeout);
    askStatus();
    m_poll.start();
}

void ServedBoard::askStatus()
{
    if (m_expected.empty())
        send("SYST:STAT?\n", false);
}

void ServedBoard::submit(const BoardRequest &r)
{
    QByteArray command;
    switch (r.kind) {
    case Kind::DutyPreset: command = "SOUR:PWM:DCYC:PRES " + QByteArray::number(r.value); break;
    case Kind::DutyTyped: command = "SOUR:PWM:DCYC " + r.text.toUtf8(); break;
    case Kind::Frequency: command = "SOUR:PWM:FREQ:IND " + QByteArray::number(r.value); break;
    case Kind::AskDuty: command = "SOUR:PWM:DCYC?"; break;
    case Kind::AskFrequency: command = "SOUR:PWM:FREQ:IND?"; break;
    case Kind::Measure: command = "MEAS:DCYC?"; break;
    case Kind::Barrier: command = "*OPC?"; break;
    }
    send(command + ";:SYST:ERR?\n", true);
}

void ServedBoard::send(const QByteArray &line, bool forRequest)
{
    m_expected.push_back(forRequest);
    m_socket.write(line);
}

void ServedBoard::monitor()
{
    emit failed(PortError, QStringLiteral("monitor needs the port itself, and %1 holds it: it shows every line, "
                                          "and logs them with its own --log or \"Start log...\"")
                               .arg(server()));
}

void ServedBoard::close()
{
    m_poll.stop();
    m_deadline.stop();
    disconnect(&m_socket, nullptr, this, nullptr);
    m_socket.disconnectFromServer();
}

void ServedBoard::readAnswers()
{
    while (m_socket.canReadLine())
        answer(QString::fromUtf8(m_socket.readLine()).trimmed());
}

void ServedBoard::answer(const QString &line)
{
    if (m_expected.empty())
        return;
    const bool forRequest = m_expected.front();
    m_expected.pop_front();
    if (!forRequest) {
        if (m_searching && line == u"FOUND") {
            m_searching = false;
            m_poll.stop();
            m_deadline.stop();
            emit found();
        }
        return;
    }
    const QStringList parts = answers(line);
    const auto [code, detail] = error(parts.last());
    const QString value = parts.size() > 1 ? parts.first() : QString();
    RequestOutcome outcome{Status::Done, value, {}, ReplyValue::number(value).value_or(0), detail};
    if (code == -230)
        outcome.status = Status::OutsideProtocol;
    else if (code == -222 || code == -104)
        outcome.status = Status::Refused;
    else if (code == -240 && detail.contains(QStringLiteral(" was answered ")))
        outcome.status = Status::OtherValue;
    else if (code == -240 && detail.contains(QStringLiteral("could not be sent")))
        outcome.status = Status::SendFailed;
    else if (code == -240 && (detail.startsWith(QStringLiteral("no board")) || detail.contains(QStringLiteral("lost"))))
        outcome.status = Status::NotFound;
    else if (code != 0)
        outcome.status = Status::NoAnswer;
    emit answered(outcome);
}

void ServedBoard::timeUp()
{
    if (!m_searching)
        return;
    m_searching = false;
    m_poll.stop();
    emit failed(NoResponse, QStringLiteral("%1 has not found %2 within %3 s")
                                .arg(server(), QStringLiteral("device \"%1\" on %2").arg(m_deviceId, m_port),
                                     QString::number(double(m_timeout.count()) / 1000, 'g', 6)));
}
