#pragma once

#include <QList>
#include <QString>

// One command of a bench script, as the command line chains them:
// "find", "duty 50", "duty 37", "freq 4", "read", "monitor".
struct ScriptStep
{
    enum class Kind {
        Find,       // search until the board answers (always done first)
        DutyPreset, // "0%", "50%" or "100%": value 0, 50 or 100
        DutyTyped,  // the duty box and "Send": text
        Frequency,  // a frequency button: value 1 to 7
        Read,       // both read-back queries, and wait for both values
        Monitor,    // every received line, until the duration ends or a stop
    };

    Kind kind = Kind::Find;
    int value = 0;
    QString text;

    bool operator==(const ScriptStep &) const = default;
};

using Script = QList<ScriptStep>;
