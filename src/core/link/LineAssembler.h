#pragma once

#include "toolkit/Constants.h"

#include <QString>

#include <optional>

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
    };

    // Takes one character. Returns the finished line when `c` is a carriage
    // return that ends a non-empty line.
    std::optional<Line> feed(QChar c);

    const QString &pending() const { return m_pending; }
    bool overflowed() const { return m_overflowed; }

private:
    QString m_pending;
    bool m_overflowed = false;
};
