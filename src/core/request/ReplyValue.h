#pragma once

#include <QString>

#include <optional>

// Reads the value of a reply strictly, for a script that must not pass a
// garbled answer off as a reading. The window shows whatever leading number
// a reply holds; here the whole value text must be one decimal number
// (blanks around it allowed), and it must lie in the protocol's range: a
// duty from 0 to 100, a frequency index that is a whole number from 1 to 7.
class ReplyValue
{
public:
    enum class Range { Duty, FrequencyIndex };

    struct Reading
    {
        QString text;                // everything after "id SVn=", as sent
        std::optional<double> value; // empty: not a number
        bool inRange = false;
        Range range = Range::Duty;
        // Empty when the reading is good; otherwise why not, in words.
        QString problem() const;
    };

    // `reply` is a whole line such as "1SV1=37.5"; the value follows the
    // first '='.
    static Reading read(const QString &reply, Range range);
    // The number alone, strictly: empty unless the whole text is one.
    static std::optional<double> number(QStringView text);
};
