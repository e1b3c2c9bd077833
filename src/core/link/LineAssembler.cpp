#include "link/LineAssembler.h"

std::optional<LineAssembler::Line> LineAssembler::feed(QChar c)
{
    if (c == u'\n')
        return std::nullopt;
    if (c == u'\r') {
        if (m_pending.isEmpty() && !m_overflowed)
            return std::nullopt;
        Line line{std::move(m_pending), m_overflowed};
        m_pending = QString();
        m_overflowed = false;
        return line;
    }
    if (m_pending.size() < MaxLength) {
        if (m_pending.capacity() == 0)
            m_pending.reserve(64);
        m_pending.append(c);
    } else {
        m_overflowed = true;
    }
    return std::nullopt;
}
