#include "log/LineLog.h"

#include <QCoreApplication>

LineLog::LineLog(QObject *parent)
    : QObject(parent)
{
}

bool LineLog::open(const QString &path, const QString &port, const QString &deviceId)
{
    close();
    m_file.setFileName(path);
    // Unbuffered: every write below goes to the system at once.
    QString reason;
    if (m_file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered)) {
        m_stamp.append(m_pending);
        m_pending += " -- ";
        appendEscaped(m_pending, (QCoreApplication::applicationName() + u' ' + QCoreApplication::applicationVersion()).trimmed());
        m_pending += " started, port ";
        appendEscaped(m_pending, port);
        m_pending += ", device ID \"";
        appendEscaped(m_pending, deviceId);
        m_pending += "\"\n";
        reason = writePending();
    } else {
        reason = m_file.errorString();
    }
    if (!reason.isEmpty()) {
        drop();
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

void LineLog::received(const QString &line, bool cut)
{
    if (!m_file.isOpen())
        return;
    append('r', line, cut);
}

void LineLog::flush()
{
    if (m_pending.isEmpty() || !m_file.isOpen())
        return;
    if (const QString reason = writePending(); !reason.isEmpty())
        fail(reason);
}

// One write for all that is pending. Of what the system takes only in part,
// the torn last line is cut off again, and the write of the rest, which
// fails, says why: QFile takes a short write for no error at all. Returns
// the reason it failed.
QString LineLog::writePending()
{
    qint64 done = 0;
    for (qint64 written = 0; done < m_pending.size(); done += written) {
        written = m_file.write(m_pending.constData() + done, m_pending.size() - done);
        if (written <= 0)
            break;
    }
    if (done == m_pending.size()) {
        m_pending.clear();
        return {};
    }
    const QString reason = m_file.error() == QFileDevice::NoError ? QStringLiteral("the system took no more")
                                                                  : m_file.errorString();
    const qsizetype whole = done > 0 ? m_pending.lastIndexOf('\n', done - 1) + 1 : 0;
    if (done > whole)
        m_file.resize(m_file.size() - (done - whole));
    return reason;
}

void LineLog::fail(const QString &reason)
{
    const QString path = m_file.fileName();
    drop();
    emit failed(path, reason);
    emit openChanged(false);
}

void LineLog::drop()
{
    m_pending.clear();
    m_file.close();
    m_file.setFileName(QString());
}

void LineLog::append(char direction, QStringView text, bool cut)
{
    m_stamp.append(m_pending);
    const char tag[] = {' ', direction, 'x', ' '};
    m_pending.append(tag, sizeof tag);
    appendEscaped(m_pending, text);
    if (cut)
        m_pending.append(Cut);
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
