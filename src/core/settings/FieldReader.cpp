#include "settings/FieldReader.h"

namespace {

bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t';
}

} // namespace

FieldReader::FieldReader(QStringView text)
    : m_text(text)
{
}

bool FieldReader::atLineEnd() const
{
    return m_pos < m_text.size() && (m_text[m_pos] == u'\r' || m_text[m_pos] == u'\n');
}

void FieldReader::skipLineEnd()
{
    if (m_pos < m_text.size() && m_text[m_pos] == u'\r')
        ++m_pos;
    if (m_pos < m_text.size() && m_text[m_pos] == u'\n')
        ++m_pos;
}

void FieldReader::skipToDelimiter()
{
    while (m_pos < m_text.size() && m_text[m_pos] != u',' && !atLineEnd())
        ++m_pos;
    if (m_pos < m_text.size() && m_text[m_pos] == u',') {
        ++m_pos;
        m_afterComma = true;
    } else {
        skipLineEnd();
        m_afterComma = false;
    }
}

std::optional<QString> FieldReader::next()
{
    for (;;) {
        while (m_pos < m_text.size() && isBlank(m_text[m_pos]))
            ++m_pos;
        if (m_afterComma || !atLineEnd())
            break;
        skipLineEnd(); // an empty line between records
    }
    if (m_pos >= m_text.size() && !m_afterComma)
        return std::nullopt;

    QString value;
    if (m_pos < m_text.size() && m_text[m_pos] == u'"') {
        const qsizetype close = m_text.indexOf(u'"', m_pos + 1);
        const qsizetype end = close < 0 ? m_text.size() : close;
        value = m_text.mid(m_pos + 1, end - m_pos - 1).toString();
        m_pos = close < 0 ? m_text.size() : close + 1;
    } else {
        const qsizetype start = m_pos;
        while (m_pos < m_text.size() && m_text[m_pos] != u',' && !atLineEnd())
            ++m_pos;
        qsizetype end = m_pos;
        while (end > start && isBlank(m_text[end - 1]))
            --end;
        value = m_text.mid(start, end - start).toString();
    }
    skipToDelimiter();
    return value;
}
