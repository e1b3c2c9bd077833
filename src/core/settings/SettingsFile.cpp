#include "settings/SettingsFile.h"

#include "settings/FieldReader.h"
#include "settings/FolderAccess.h"
#include "text/Cp1252Codec.h"
#include "text/NumberReader.h"
#include "toolkit/Constants.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringDecoder>

#include <cmath>

namespace {

// A numeric field: its leading number, rounded half to even; text that is
// not a number reads as 0. Out of the 16-bit range is an error.
std::optional<std::int16_t> numberField(const QString &text)
{
    const std::optional<double> value = NumberReader::read(text);
    if (!value)
        return std::nullopt;
    const double rounded = std::nearbyint(*value);
    if (rounded < Int16::Min || rounded > Int16::Max)
        return std::nullopt;
    return static_cast<std::int16_t>(rounded);
}

QByteArray quoted(const QString &text)
{
    QString safe = text;
    safe.replace(u'"', u'\'');
    return '"' + Cp1252Codec::encode(safe) + '"';
}

bool isAscii(const QByteArray &bytes)
{
    for (char c : bytes) {
        if (uchar(c) >= 0x80)
            return false;
    }
    return true;
}

// The tool writes cp1252, but a file saved from a UTF-8 editor is read as
// UTF-8: when its bytes are valid UTF-8 (with or without a byte-order
// mark) and hold anything beyond ASCII.
QString decodeText(const QByteArray &bytes)
{
    if (isAscii(bytes))
        return QString::fromLatin1(bytes);
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(bytes);
    if (!utf8.hasError()) {
        if (text.startsWith(QChar(0xFEFF)))
            text.remove(0, 1);
        return text;
    }
    return Cp1252Codec::decode(bytes);
}

// Writes all of `bytes`, unbuffered, so that every short write shows here.
// Returns an empty string, else the reason.
QString writeAll(QFileDevice &file, const QByteArray &bytes)
{
    qint64 written = 0;
    while (written < bytes.size()) {
        const qint64 n = file.write(bytes.constData() + written, bytes.size() - written);
        if (n <= 0)
            return n < 0 ? file.errorString() : QStringLiteral("the disk is full");
        written += n;
    }
    return QString();
}

// The file is overwritten where it stands, not cut short first, so that
// when the write fails (a full disk) the old bytes it reached, kept in
// memory, can be written back over the space they had.
SettingsFile::Written writeInPlace(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite | QIODevice::Unbuffered))
        return {file.errorString()};
    const QByteArray old = file.readAll();
    QString problem = file.seek(0) ? writeAll(file, bytes) : file.errorString();
    if (problem.isEmpty() && !file.resize(bytes.size()))
        problem = file.errorString();
    if (problem.isEmpty())
        return {};
    const qint64 reached = file.pos();
    const bool putBack = file.seek(0) && writeAll(file, old.left(reached)).isEmpty() && file.resize(old.size());
    return {problem, !putBack};
}

} // namespace

QString SettingsFile::pathFor(const QString &directory, const QString &executableName)
{
    return directory + u'/' + executableName + QStringLiteral(".ini");
}

std::optional<SettingsValues> SettingsFile::read(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return parse(file.read(MaxSize));
}

std::optional<SettingsValues> SettingsFile::parse(const QByteArray &bytes)
{
    // Find where the ninth field ends first. The delimiters are ASCII, so
    // they stand at the same bytes whatever the texts' encoding; only the
    // record itself is decoded and checked, never what follows it.
    const QString bytewise = QString::fromLatin1(bytes);
    FieldReader scout(bytewise);
    for (int i = 0; i < 9; ++i) {
        if (!scout.next())
            return std::nullopt;
    }
    const QByteArray record = bytes.left(scout.position());
    if (record.contains('\0'))
        return std::nullopt;
    const QString text = decodeText(record);
    FieldReader reader(text);
    std::optional<QString> fields[9];
    for (auto &field : fields) {
        field = reader.next();
        if (!field)
            return std::nullopt;
    }

    SettingsValues v;
    const auto commPort = numberField(*fields[0]);
    const auto sampleTime = numberField(*fields[3]);
    if (!commPort || !sampleTime)
        return std::nullopt;
    v.commPort = *commPort;
    v.baudRate = *fields[1];
    v.deviceId = *fields[2];
    v.sampleTime = *sampleTime;
    v.ucAppName = *fields[4];
    for (int i = 1; i <= 4; ++i)
        v.tempNames[i] = *fields[4 + i];
    return v;
}

QByteArray SettingsFile::serialize(const SettingsValues &v)
{
    QByteArray out;
    out += QByteArray::number(v.commPort) + ',' + quoted(v.baudRate) + ',' + quoted(v.deviceId) + ','
        + QByteArray::number(v.sampleTime) + ',' + quoted(v.ucAppName) + "\r\n";
    out += quoted(v.tempNames[1]) + ',' + quoted(v.tempNames[2]) + ',' + quoted(v.tempNames[3]) + ','
        + quoted(v.tempNames[4]) + "\r\n";
    return out;
}

SettingsFile::Written SettingsFile::write(const QString &path, const SettingsValues &values)
{
    const QFileInfo existing(path);
    if (existing.exists() && !existing.isWritable())
        return {QStringLiteral("the file is read-only")};

    // Where the folder refuses the temporary file (a shared bench PC, a
    // folder prepared by an administrator) but the file itself may be
    // written, it is overwritten in place.
    const QByteArray bytes = serialize(values);
    if (existing.exists() && existing.isReadable() && !FolderAccess::takesNewFiles(existing.absolutePath()))
        return writeInPlace(path, bytes);

    // Unbuffered, so that every short write shows here: a buffered QSaveFile
    // can flush a truncated file on a full disk and still commit it.
    QSaveFile file(path);
    file.setDirectWriteFallback(true);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return {file.errorString()};
    if (const QString reason = writeAll(file, bytes); !reason.isEmpty()) {
        file.cancelWriting();
        return {reason};
    }
    if (!file.commit())
        return {file.errorString()};
    return {};
}
