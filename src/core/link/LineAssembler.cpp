#include "link/LineAssembler.h"

#include <algorithm>

std::optional<LineAssembler::Line> LineAssembler::feedOther(QChar c)
{
    if (c == u'\n')
        return std::nullopt;
    if (c == u'\r') {
        if (m_pending.empty() && !m_overflowed)
            return std::nullopt;
        // The line's text is kept for the next line too: once the receiver
        // has let go of it, its storage serves again.
        if (m_line.capacity() > 1024)
            m_line = QString(); // after an overlong line
        m_line.resize(qsizetype(m_pending.size()));
        std::copy(m_pending.begin(), m_pending.end(), reinterpret_cast<char16_t *>(m_line.data()));
        Line line{m_line, m_overflowed};
        m_pending.clear();
        if (m_pending.capacity() > 1024)
            m_pending.shrink_to_fit(); // after an overlong line
        m_pendingText.clear();
        m_overflowed = false;
        return line;
    }
    if (qsizetype(m_pending.size()) < MaxLength)
        m_pending.push_back(c.unicode());
    else
        m_overflowed = true;
    return std::nullopt;
}

const QString &LineAssembler::pending() const
{
    // Characters are only ever added to a pending line, so only the new
    // ones need appending.
    const qsizetype known = m_pendingText.size();
    m_pendingText.append(reinterpret_cast<const QChar *>(m_pending.data()) + known,
                         qsizetype(m_pending.size()) - known);
    return m_pendingText;
}
