#include "ScriptOutput.h"

#include "link/Protocol.h"
#include "log/LineLog.h"
#include "request/ReplyValue.h"
#include "text/NumberReader.h"

#include <QCoreApplication>
#include <QJsonDocument>
#include <QJsonArray>

ScriptOutput::ScriptOutput(bool json, bool quiet, QObject *parent)
    : QObject(parent)
    , m_json(json)
    , m_quiet(quiet)
{
}

void ScriptOutput::print(std::FILE *stream, const QByteArray &bytes)
{
    if (stream == stdout && m_closed)
        return;
    const bool written = std::fwrite(bytes.constData(), 1, std::size_t(bytes.size()), stream) == std::size_t(bytes.size());
    if ((std::fflush(stream) != 0 || !written) && stream == stdout) {
        m_closed = true;
        emit closed();
    }
}

void ScriptOutput::progress(const QString &text)
{
    if (!m_quiet)
        print(stderr, (QCoreApplication::applicationName() + QStringLiteral(": ") + text + u'\n').toLocal8Bit());
}

void ScriptOutput::error(const QString &text)
{
    print(stderr, (QCoreApplication::applicationName() + QStringLiteral(": error: ") + text + u'\n').toLocal8Bit());
}

void ScriptOutput::warning(const QString &text)
{
    print(stderr, (QCoreApplication::applicationName() + QStringLiteral(": warning: ") + text + u'\n').toLocal8Bit());
}

namespace {

// A reading good by the protocol in the window's digits, with a point
// always; anything else as the board sent it (quoted in JSON unless it is a
// number).
QByteArray valueText(const RequestOutcome &reading, bool json)
{
    if (reading.ok())
        return NumberReader::formatGeneral(float(reading.value)).toLatin1();
    if (!json || ReplyValue::number(reading.valueText))
        return reading.valueText.toUtf8();
    return QJsonDocument(QJsonArray{reading.valueText}).toJson(QJsonDocument::Compact).chopped(1).mid(1);
}

} // namespace

void ScriptOutput::valuesRead(const RequestOutcome &duty, const RequestOutcome &frequency)
{
    const QByteArray d = valueText(duty, m_json);
    const QByteArray f = valueText(frequency, m_json);
    const QByteArray hz = frequency.ok() ? Protocol::frequencyText(int(frequency.value)).toLatin1() : QByteArray();
    if (m_json)
        print(stdout, "{\"duty\":" + d + ",\"frequency\":" + f + ",\"frequency_hz\":" + (hz.isEmpty() ? "null" : hz) + "}\n");
    else
        print(stdout, "duty=" + d + "\nfrequency=" + f + "\nfrequency_hz=" + hz + '\n');
}

void ScriptOutput::lineMonitored(const QString &line, bool cut)
{
    QByteArray time;
    m_stamp.append(time);
    if (m_json) {
        // A one-element array is the shortest way to have Qt escape a string.
        const QByteArray quoted = QJsonDocument(QJsonArray{line}).toJson(QJsonDocument::Compact).chopped(1).mid(1);
        print(stdout, "{\"time\":\"" + time + "\",\"line\":" + quoted + (cut ? ",\"cut\":true}\n" : "}\n"));
        return;
    }
    QByteArray text;
    LineLog::appendEscaped(text, line);
    if (cut)
        text += LineLog::Cut;
    if (text.contains(',') || text.contains('"'))
        text = '"' + text.replace('"', "\"\"") + '"';
    print(stdout, time + ',' + text + '\n');
}
