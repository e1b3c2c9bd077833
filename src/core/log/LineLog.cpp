#include "log/LineLog.h"

LineLog::LineLog(QObject *parent)
    : QObject(parent)
{
}

bool LineLog::open(const QString &path)
{
    close();
    m_file.setFileName(path);
    // Unbuffered: every write below goes to the system at once.
    if (!m_file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered)) {
        const QString reason = m_file.errorString();
        m_file.setFileName(QString());
        emit failed(path, reason);
        return false;
    }
    emit openChanged(true);
    return true;
}

void LineLog::close()
{
    if (!m_file.isOpen())
        return;
    flush();
    m_file.close();
    m_pending.clear();
    emit openChanged(false);
}

void LineLog::sent(QStringView text)
{
    if (!m_file.isOpen())
        return;
    // A command's own line end is not part of its text.
    if (text.endsWith(u'\r'))
        text.chop(1);
    append('t', text);
    flush();
}

void LineLog::received(const QString &line)
{
    if (m_file.isOpen())
        append('r', line);
}

void LineLog::flush()
{
    if (m_pending.isEmpty() || !m_file.isOpen())
        return;
    const qint64 written = m_file.write(m_pending);
    if (written != m_pending.size()) {
        fail(m_file.errorString());
        return;
    }
    m_pending.clear();
}

void LineLog::fail(const QString &reason)
{
    const QString path = m_file.fileName();
    m_pending.clear();
    m_file.close();
    m_file.setFileName(QString());
    emit failed(path, reason);
    emit openChanged(false);
}

void LineLog::append(char direction, QStringView text)
{
    m_stamp.append(m_pending);
    const char tag[] = {' ', direction, 'x', ' '};
    m_pending.append(tag, sizeof tag);
    appendEscaped(m_pending, text);
    m_pending.append('\n');
}

void LineLog::appendEscaped(QByteArray &out, QStringView text)
{
    static constexpr char hex[] = "0123456789ABCDEF";
    for (const QChar qc : text) {
        const char16_t c = qc.unicode();
        if (c >= 0x20 && c < 0x7F && c != u'\\') {
            out.append(char(c));
        } else if (c == u'\\') {
            out.append("\\\\", 2);
        } else if (c == u'\r') {
            out.append("\\r", 2);
        } else if (c == u'\n') {
            out.append("\\n", 2);
        } else if (c == u'\t') {
            out.append("\\t", 2);
        } else if (c < 0x20 || (c >= 0x7F && c < 0xA0)) {
            const char escape[] = {'\\', 'x', hex[c >> 4], hex[c & 0xF]};
            out.append(escape, sizeof escape);
        } else if (c < 0x800) {
            const char utf8[] = {char(0xC0 | c >> 6), char(0x80 | (c & 0x3F))};
            out.append(utf8, sizeof utf8);
        } else if (!qc.isSurrogate()) {
            const char utf8[] = {char(0xE0 | c >> 12), char(0x80 | (c >> 6 & 0x3F)), char(0x80 | (c & 0x3F))};
            out.append(utf8, sizeof utf8);
        } else {
            // The wire's code page has no such characters; whatever else
            // brings one gets the replacement character.
            out.append("\xEF\xBF\xBD", 3);
        }
    }
}
