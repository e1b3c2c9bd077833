#pragma once

#include "toolkit/Constants.h"

#include <QString>

#include <optional>
#include <vector>

// Assembles received characters into reply lines.
//
// A line feed is dropped wherever it occurs, a carriage return ends the
// line, and an empty line is ignored. A partial line stays pending across
// calls (and across closing and reopening the port) until its carriage
// return arrives.
//
// The pending line is bounded: a device that streams characters without a
// carriage return must not grow memory without limit. Once a line passes
// MaxLength characters the rest is not stored, and the line is marked as
// overflowed; the reply handler treats such a line as a failure.
class LineAssembler
{
public:
    // The longest line whose length still fits a 16-bit signed integer.
    static constexpr qsizetype MaxLength = Int16::Max;

    struct Line
    {
        QString text;
        bool overflowed = false;
        bool operator==(const Line &) const = default;
    };

    // Takes one character. Returns the finished line when `c` is a carriage
    // return that ends a non-empty line.
    std::optional<Line> feed(QChar c)
    {
        // Characters arrive one at a time; the ordinary ones take the
        // short way.
        if (c.unicode() > u'\r' && qsizetype(m_pending.size()) < MaxLength) {
            m_pending.push_back(c.unicode());
            return std::nullopt;
        }
        return feedOther(c);
    }

    const QString &pending() const;
    bool overflowed() const { return m_overflowed; }

private:
    std::optional<Line> feedOther(QChar c);

    std::vector<char16_t> m_pending;
    bool m_overflowed = false;
    QString m_line;
    // pending() as text, brought up to date when asked for.
    mutable QString m_pendingText;
};
