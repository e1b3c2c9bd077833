#pragma once

#include <QString>

#include <optional>

// Classifies one received line and reads the value it reports.
//
// The window's reply handler runs its steps in a fixed order, and a failure
// part-way leaves the earlier steps done; the outcome therefore says where
// a failure happened:
//  - tooLong: the line's length does not fit 16 bits; nothing after the
//    status line is done;
//  - identification: the line is the device's identification reply;
//  - kind/value: a duty or frequency report with its value, or a failure
//    (value empty) when the value cannot be read or lies beyond single
//    precision.
class ReplyParser
{
public:
    enum class Kind { Other, Duty, Frequency };

    struct Outcome
    {
        bool tooLong = false;
        bool identification = false;
        Kind kind = Kind::Other;
        std::optional<float> value; // for Duty and Frequency; empty = failure
    };

    static Outcome parse(const QString &line, bool overflowed, const QString &deviceId);

    // The frequency button (1..7) that a reported index selects, or 0 when
    // the value is not exactly a whole number from 1 to 7.
    static int frequencyButton(float reportedIndex);
};
