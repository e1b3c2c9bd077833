#pragma once

#include "script/ExitCode.h"
#include "script/ScriptStep.h"

#include <QStringList>

// Reads the command words of the command line into a script, with the
// window's rules for the values: "duty 0", "duty 50" and "duty 100" are the
// three buttons; any other duty is the typed value (a number from 0 to
// 100, a fraction rounded to a whole number, '.' as the decimal point);
// "freq" takes a frequency button's index, 1 to 7. Every word is checked
// before anything is sent, so a script with a refused value sends nothing.
class ScriptParser
{
public:
    struct Result
    {
        Script script;
        ExitCode error = Done; // UsageError or ValueRefused
        QString message;       // why, in words
    };

    // `monitorEnds`: a --duration was given, so commands may follow monitor.
    static Result parse(const QStringList &words, bool monitorEnds);
};
