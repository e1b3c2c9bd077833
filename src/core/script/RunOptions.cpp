#include "script/RunOptions.h"

#include "serial/LineSettings.h"
#include "serial/PortLocator.h"
#include "settings/SettingsFile.h"

#include <QFileInfo>
#include <QRegularExpression>

#include <cmath>

namespace {

using Resolved = RunOptions::Resolved;

// Seconds as the options take them: a positive number, fractions allowed.
std::optional<std::chrono::milliseconds> secondsOf(const QString &text)
{
    bool ok = false;
    const double seconds = text.toDouble(&ok);
    if (!ok || !std::isfinite(seconds) || seconds <= 0 || seconds > 1e7)
        return std::nullopt;
    return std::chrono::milliseconds(std::llround(std::max(seconds * 1000, 1.0)));
}

bool isWholeNumber(const QString &text)
{
    static const QRegularExpression digits(QStringLiteral("^[0-9]{1,6}$"));
    return digits.match(text).hasMatch();
}

} // namespace

RunOptions::Resolved RunOptions::resolve(const Given &given, const Executable &executable)
{
    Resolved r;
    r.station.executable = executable;
    SettingsValues values;
    if (given.settingsFile) {
        const QFileInfo file(*given.settingsFile);
        const auto read = SettingsFile::read(file.filePath());
        if (!read) {
            r.error = file.exists() ? QStringLiteral("cannot read the settings in %1: it must be readable and hold "
                                                     "the two lines of a settings file")
                                          .arg(file.filePath())
                                    : QStringLiteral("there is no settings file %1").arg(file.filePath());
            return r;
        }
        values = *read;
        r.station.linkDirectory = file.absolutePath();
    }
    if (given.port) {
        if (isWholeNumber(*given.port))
            values.commPort = std::int16_t(std::min(given.port->toInt(), 32767));
        else
            r.station.devicePath = *given.port;
    }
    if (r.station.devicePath.isEmpty() && (values.commPort < 1 || values.commPort > 255)) {
        r.error = QStringLiteral("COM %1 is not a port number: use 1 to 255, or a device path").arg(values.commPort);
        return r;
    }
    if (given.baud)
        values.baudRate = *given.baud;
    if (!LineSettings::parse(LineSettings::forBaudRate(values.baudRate))) {
        r.error = QStringLiteral("baud rate \"%1\" refused: a whole number from 1 to 4000000").arg(values.baudRate);
        return r;
    }
    if (given.id) {
        static const QRegularExpression control(QStringLiteral("[\\x00-\\x1f\\x7f]"));
        if (given.id->contains(control)) {
            r.error = QStringLiteral("the device ID may not hold control characters");
            return r;
        }
        values.deviceId = *given.id;
    }
    if (values.deviceId.size() > 1) {
        r.error = QStringLiteral("device ID \"%1\" refused: replies are matched on a one-character ID").arg(values.deviceId);
        return r;
    }
    if (given.poll) {
        const int seconds = isWholeNumber(*given.poll) ? given.poll->toInt() : 0;
        if (seconds < 2 || seconds > 32768) {
            r.error = QStringLiteral("--poll \"%1\" refused: whole seconds from 2 to 32768 (the poll goes out on "
                                     "every STime + 1st tick of a 1 s timer)")
                          .arg(*given.poll);
            return r;
        }
        values.sampleTime = std::int16_t(seconds - 1);
    }
    if (given.timeout) {
        const auto timeout = secondsOf(*given.timeout);
        if (!timeout) {
            r.error = QStringLiteral("--timeout \"%1\" refused: a number of seconds above 0").arg(*given.timeout);
            return r;
        }
        r.timeout = *timeout;
    }
    if (given.duration) {
        r.duration = secondsOf(*given.duration);
        if (!r.duration) {
            r.error = QStringLiteral("--duration \"%1\" refused: a number of seconds above 0").arg(*given.duration);
            return r;
        }
    }
    r.station.settings = values;
    return r;
}

QString RunOptions::devicePath(const StationOptions &station)
{
    if (!station.devicePath.isEmpty())
        return station.devicePath;
    const int port = station.settings ? station.settings->commPort : 1;
    const QString directory = station.linkDirectory.isEmpty() ? station.executable.directory : station.linkDirectory;
    return PortLocator::locate(port, directory).path;
}

QString RunOptions::portName(const StationOptions &station)
{
    if (!station.devicePath.isEmpty())
        return station.devicePath;
    const int port = station.settings ? station.settings->commPort : 1;
    const QString device = devicePath(station);
    return device.isEmpty() ? QStringLiteral("COM %1").arg(port) : QStringLiteral("COM %1 (%2)").arg(port).arg(device);
}
