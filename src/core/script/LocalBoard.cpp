#include "script/LocalBoard.h"

#include "app/BenchStation.h"
#include "link/LineAssembler.h"
#include "link/Protocol.h"
#include "script/ExitCode.h"
#include "script/RunOptions.h"
#include "serial/CommError.h"
#include "serial/PortErrors.h"

#include <QRegularExpression>

LocalBoard::LocalBoard(BenchStation &station, std::chrono::milliseconds timeout, QObject *parent)
    : ScriptBoard(parent)
    , m_station(station)
    , m_requests(station, timeout)
    , m_timeout(timeout)
    , m_port(RunOptions::portName(station.options()))
{
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, &LocalBoard::searchTimedOut);
    connect(&m_requests, &RequestQueue::finished, this,
            [this](quint64, const RequestOutcome &outcome) { emit answered(outcome); });
    connect(&station, &BenchStation::deviceFound, this, [this] {
        if (std::exchange(m_searching, false)) {
            m_timer.stop();
            emit found();
        }
    });
    connect(&station, &BenchStation::lineReceived, this, &LocalBoard::hear);
    connect(&station, &BenchStation::portFailed, this, &LocalBoard::failToOpen);
    connect(&station, &BenchStation::deviceLost, this, [this](int errorNumber) {
        emit failed(PortError, QStringLiteral("the port %1 went away (%2)").arg(m_port, Protocol::portErrorStatus(errorNumber)));
    });
}

QString LocalBoard::name() const
{
    return QStringLiteral("device \"%1\" on %2").arg(m_station.settingsInUse().deviceId, m_port);
}

void LocalBoard::open()
{
    m_searching = true;
    m_timer.start(m_timeout);
    m_station.searchNow();
}

void LocalBoard::submit(const BoardRequest &request)
{
    m_heard = 0;
    m_lastHeard.clear();
    m_requests.submit(request);
}

void LocalBoard::close()
{
    m_searching = false;
    m_timer.stop();
    m_station.stop();
}

void LocalBoard::hear(const QString &line, bool cut)
{
    if (m_monitoring) {
        emit lineReceived(line, cut);
        return;
    }
    static const QRegularExpression identification(QStringLiteral("^(.)BSok$"));
    const QRegularExpressionMatch other = identification.match(line);
    if (other.hasMatch() && other.captured(1) != m_station.settingsInUse().deviceId)
        m_otherDevice = other.captured(1);
    ++m_heard;
    m_lastHeard = line;
}

QString LocalBoard::whatWasHeard() const
{
    if (!m_otherDevice.isEmpty())
        return QStringLiteral("; device \"%1\" answered on %2: is --id right?").arg(m_otherDevice, m_port);
    if (const qsizetype unended = m_station.unendedLength())
        return QStringLiteral("; %1%2 characters came without a line end (CR): is --baud right?")
            .arg(unended)
            .arg(unended >= LineAssembler::MaxLength ? QStringLiteral(" or more") : QString());
    if (m_heard > 0)
        return QStringLiteral("; %1 other line(s) came, the last \"%2\"").arg(m_heard).arg(m_lastHeard.left(80));
    return QStringLiteral("; nothing came back");
}

void LocalBoard::searchTimedOut()
{
    if (std::exchange(m_searching, false))
        emit failed(NoResponse, QStringLiteral("no identification reply from %1 within %2 s%3")
                                    .arg(name(), QString::number(double(m_timeout.count()) / 1000, 'g', 6),
                                         whatWasHeard()));
}

void LocalBoard::failToOpen(int errorNumber, const QString &reason)
{
    if (!m_searching)
        return;
    m_searching = false;
    QString message = QStringLiteral("cannot open %1: %2 (%3)").arg(m_port, reason, Protocol::portErrorStatus(errorNumber));
    if (errorNumber == CommError::PermissionDenied)
        message += QStringLiteral(". ") + PortErrors::dialoutAdvice(true);
    emit failed(PortError, message);
}
