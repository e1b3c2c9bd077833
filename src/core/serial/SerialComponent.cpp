#include "serial/SerialComponent.h"

#include "serial/CommError.h"
#include "serial/DeviceAccess.h"
#include "serial/PortErrors.h"
#include "serial/PortLocator.h"
#include "serial/PortLock.h"
#include "text/Cp1252Codec.h"
#include "toolkit/Constants.h"

#include <QFile>
#include <QScopeGuard>

#include <algorithm>
#include <array>
#include <utility>


namespace {

// Runs a QSerialPort call whose failure we handle (or deliberately ignore)
// ourselves, without it reaching the error handler that closes the port.
[[nodiscard]] auto quietly(bool &quiet)
{
    const bool was = std::exchange(quiet, true);
    return qScopeGuard([&quiet, was] { quiet = was; });
}

} // namespace

SerialComponent::SerialComponent(QObject *parent)
    : QObject(parent)
{
    setObjectName(QStringLiteral("MSComm1"));
    m_line = *LineSettings::parse(m_settingsText);
    m_port.setReadBufferSize(InBufferSize);
    connect(&m_port, &QSerialPort::readyRead, this, &SerialComponent::onReadyRead);
    connect(&m_port, &QSerialPort::errorOccurred, this, &SerialComponent::onError);
}

SerialComponent::~SerialComponent()
{
    closeNow();
}

void SerialComponent::setLinkDirectory(const QString &directory)
{
    m_linkDirectory = directory;
}

void SerialComponent::setDevicePath(const QString &path)
{
    m_devicePath = path;
}

QString SerialComponent::deviceInUse() const
{
    return m_devicePath.isEmpty() ? PortLocator::locate(m_commPort, m_linkDirectory).path : m_devicePath;
}

QString SerialComponent::portName(int port) const
{
    if (!m_devicePath.isEmpty())
        return m_devicePath;
    const QString device = PortLocator::locate(port, m_linkDirectory).path;
    return device.isEmpty() ? QStringLiteral("COM %1").arg(port) : QStringLiteral("COM %1 (%2)").arg(port).arg(device);
}

void SerialComponent::setCommPort(int port)
{
    if (port < 1 || port > 255)
        throw CommError(CommError::InvalidPortNumber, QStringLiteral("port %1 is outside 1..255").arg(port));
    if (PortOpen())
        throw CommError(CommError::NotValidWhileOpen, QStringLiteral("the port is open"));
    m_commPort = port;
}

void SerialComponent::setSettings(const QString &settings)
{
    const auto parsed = LineSettings::parse(settings);
    if (!parsed)
        throw CommError(CommError::InvalidPropertyValue, QStringLiteral("settings \"%1\" refused").arg(settings));
    m_line = *parsed;
    m_settingsText = settings;
    if (PortOpen())
        applyLineSettings();
}

void SerialComponent::setHandshaking(int mode)
{
    if (mode < 0 || mode > 3)
        throw CommError(CommError::InvalidPropertyValue, QStringLiteral("handshaking %1 refused").arg(mode));
    m_handshaking = mode;
    if (PortOpen())
        applyLineSettings();
}

bool SerialComponent::PortOpen() const
{
    return m_port.isOpen() && !m_lost;
}

void SerialComponent::setPortOpen(bool open)
{
    if (!open) {
        closeNow();
        return;
    }
    if (PortOpen())
        throw CommError(CommError::PortAlreadyOpen, QStringLiteral("the port is already open"));
    closeNow(); // a port that failed by itself and is still on its way out

    PortLocator::Location where = PortLocator::locate(m_commPort, m_linkDirectory);
    if (!m_devicePath.isEmpty()) {
        // The real device, as for a link: one lock file however it is named.
        const QString real = DeviceAccess::realPath(m_devicePath);
        where = {real, real.isEmpty() ? m_devicePath : QString()};
    }
    if (where.path.isEmpty() || !DeviceAccess::exists(where.path)) {
        const QString name = where.linkPath.isEmpty() ? where.path : where.linkPath;
        throw CommError(CommError::InvalidPortNumber, QStringLiteral("%1 does not exist").arg(name));
    }

    PortLock::checkLockFile(where.path);
    m_port.setPortName(where.path);
    {
        const auto quiet = quietly(m_quiet);
        m_port.clearError();
        if (!m_port.open(QIODevice::ReadWrite)) {
            const QString reason = m_port.errorString();
            const int number = PortErrors::whenOpening(m_port.error(), where.path);
            m_port.clearError();
            throw CommError(number, reason);
        }
    }
    m_lost = false;
    m_lostError = 0;
    try {
        m_lock.take(m_port, where.path);
        applyLineSettings();
    } catch (...) {
        closeNow();
        throw;
    }
    applyModemLines();

    // Whatever the device sent before we were listening is stale.
    dropReceived();
    const auto quiet = quietly(m_quiet);
    m_port.clear(QSerialPort::Input);
    m_port.readAll();
    m_port.clearError();
    m_moderation.watch(&m_port);
}

void SerialComponent::applyLineSettings()
{
    const auto quiet = quietly(m_quiet);
    static constexpr QSerialPort::FlowControl flows[] = {
        QSerialPort::NoFlowControl, QSerialPort::SoftwareControl, QSerialPort::HardwareControl,
        QSerialPort::HardwareControl};
    const bool ok = m_port.setBaudRate(m_line.baud) && m_port.setParity(m_line.parity)
        && m_port.setDataBits(m_line.dataBits) && m_port.setStopBits(m_line.stopBits)
        && m_port.setFlowControl(flows[m_handshaking]);
    if (!ok && m_port.isOpen()) {
        const QString reason = m_port.errorString();
        m_port.clearError();
        throw CommError(CommError::SettingsNotApplied, reason);
    }
}

void SerialComponent::applyModemLines()
{
    // A pseudo-terminal or an adapter without modem lines refuses these;
    // that is no fault of the link.
    const auto quiet = quietly(m_quiet);
    m_port.setDataTerminalReady(m_dtr);
    m_port.setRequestToSend(m_rts);
    m_port.clearError();
}

void SerialComponent::setDTREnable(bool enable)
{
    m_dtr = enable;
    if (PortOpen())
        applyModemLines();
}

void SerialComponent::setRTSEnable(bool enable)
{
    m_rts = enable;
    if (PortOpen() && m_handshaking < 2)
        applyModemLines();
}

void SerialComponent::setRThreshold(int count)
{
    if (count < 0 || count > Int16::Max)
        throw CommError(CommError::InvalidPropertyValue, QStringLiteral("RThreshold %1 refused").arg(count));
    m_rThreshold = count;
}

void SerialComponent::setInputLen(int count)
{
    if (count < 0 || count > Int16::Max)
        throw CommError(CommError::InvalidPropertyValue, QStringLiteral("InputLen %1 refused").arg(count));
    m_inputLen = count;
}

void SerialComponent::setOutput(const QString &text)
{
    if (!PortOpen())
        throw CommError(m_lost ? m_lostError : int(CommError::PortNotOpen), QStringLiteral("the port is not open"));
    const auto quiet = quietly(m_quiet);
    m_port.clearError();
    // One byte per character, in the code page of the settings file.
    const QByteArray bytes = Cp1252Codec::encode(text);
    const qint64 queued = m_port.write(bytes);
    // Hand the bytes to the driver now, so that a dead device shows up here
    // and not later, from inside the event loop.
    m_port.flush();
    const QSerialPort::SerialPortError error = m_port.error();
    if (queued != bytes.size() || (error != QSerialPort::NoError && error != QSerialPort::TimeoutError)) {
        const QString reason = m_port.errorString();
        const int number = error == QSerialPort::ResourceError ? int(CommError::DeviceGone) : int(CommError::WriteFailed);
        closeNow();
        throw CommError(number, reason);
    }
    emit outputWritten(text);
}

const std::array<char16_t, 256> SerialComponent::s_codes = [] {
    std::array<char16_t, 256> table{};
    for (int b = 0; b < 256; ++b)
        table[std::size_t(b)] = Cp1252Codec::decode(QByteArray(1, char(b))).front().unicode();
    return table;
}();

const std::array<QString, 256> SerialComponent::s_characters = [] {
    std::array<QString, 256> table;
    for (std::size_t b = 0; b < 256; ++b)
        table[b] = QString::fromRawData(reinterpret_cast<const QChar *>(&s_codes[b]), 1);
    return table;
}();

QString SerialComponent::inputFetching()
{
    if (m_inputLen == 1) {
        if (!refill())
            return QString();
        return s_characters[uchar(m_received.constData()[m_taken++])];
    }
    if (!PortOpen())
        return QString();
    const qint64 count = m_inputLen == 0 ? qint64(InBufferCount()) : m_inputLen;
    QByteArray bytes = m_received.mid(m_taken, count);
    m_taken += bytes.size();
    if (bytes.size() < count) {
        const qsizetype before = bytes.size();
        bytes += m_port.read(count - before);
        m_eventFetched += bytes.size() - before;
    }
    return Cp1252Codec::decode(bytes);
}

// Takes everything the port holds (its buffer is no larger than ours).
bool SerialComponent::refill()
{
    m_received.resize(InBufferSize);
    const qint64 count = PortOpen() ? m_port.read(m_received.data(), InBufferSize) : 0;
    m_received.resize(std::max<qint64>(count, 0));
    m_eventFetched += m_received.size();
    m_taken = 0;
    m_portHasMore = count > 0 && m_port.bytesAvailable() > 0;
    return !m_received.isEmpty();
}

void SerialComponent::dropReceived()
{
    m_received.clear();
    m_taken = 0;
}

int SerialComponent::countWaiting(bool askSystem)
{
    if (!PortOpen())
        return 0;
    qint64 waiting = m_received.size() - m_taken + m_port.bytesAvailable();
    if (waiting == 0 && askSystem && m_eventBudget > 0 && m_received.size() >= FloodFetchBytes) {
        // Inside readyRead, so this reads without raising it again.
        m_port.waitForReadyRead(0);
        waiting = PortOpen() ? m_port.bytesAvailable() : 0;
        m_eventBudget -= std::max<qint64>(waiting, 1);
    }
    return int(std::min<qint64>(waiting, Int16::Max));
}

void SerialComponent::onReadyRead()
{
    m_portHasMore = true;
    if (m_lost || m_rThreshold <= 0 || countWaiting(false) < m_rThreshold)
        return;
    m_commEvent = ReceiveEvent;
    m_eventBudget = ReceiveEventBytes;
    const bool wasInEvent = std::exchange(m_inReceiveEvent, true);
    const auto restore = qScopeGuard([this, wasInEvent] { m_inReceiveEvent = wasInEvent; });
    if (wasInEvent) {
        emit OnComm();
        return;
    }
    m_moderation.eventBegins();
    m_eventFetched = 0;
    emit OnComm();
    // A flood's event (the system's queue kept filling while it was read) is
    // not held: the handler takes big pieces already, and holding back would
    // only slow the flood down.
    m_moderation.eventEnds(m_eventBudget <= 0 || m_eventFetched >= FloodFetchBytes);
}

void SerialComponent::onError(QSerialPort::SerialPortError error)
{
    if (m_quiet || m_lost || error == QSerialPort::NoError || error == QSerialPort::TimeoutError)
        return;
    if (!m_port.isOpen())
        return;
    // We may be deep inside QSerialPort's own notifier here; close from the
    // event loop, and treat the port as closed from this moment on.
    m_lost = true;
    dropReceived();
    m_lostError = PortErrors::whenOpen(error);
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (!m_lost)
                return; // closed or reopened meanwhile
            closeNow();
            emit PortLost(m_lostError);
        },
        Qt::QueuedConnection);
}

void SerialComponent::closeNow()
{
    if (m_port.isOpen()) {
        const auto quiet = quietly(m_quiet);
        m_lock.release();
        m_port.close();
        m_port.clearError();
    }
    m_moderation.watch(nullptr);
    dropReceived();
    m_lost = false;
}
