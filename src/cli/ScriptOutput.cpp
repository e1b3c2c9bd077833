#include "ScriptOutput.h"

#include "log/LineLog.h"
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

void ScriptOutput::valuesRead(float duty, float frequencyIndex)
{
    // The same digits as the window's duty display, with a point always.
    const QByteArray d = NumberReader::formatGeneral(duty).toLatin1();
    const QByteArray f = NumberReader::formatGeneral(frequencyIndex).toLatin1();
    print(stdout, m_json ? "{\"duty\":" + d + ",\"frequency\":" + f + "}\n" : "duty=" + d + "\nfrequency=" + f + '\n');
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
