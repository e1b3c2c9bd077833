#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// Reads one line of SCPI text into the commands it chains.
//
// Commands are separated by ';'. A header is a path of mnemonics joined by
// ':', each in its short form (the capitals of its name: "DCYC") or its
// long one ("DCYCLE"), in any case; a header ending in '?' is a query, and
// whatever follows the header after a blank is its parameter. After the
// first command of a line, a header without a leading ':' continues from
// the path of the one before (SOUR:PWM:DCYC 25;FREQ 490 sets both), as
// SCPI's tree asks; common commands ("*IDN?") leave that path alone.
class ScpiParser
{
public:
    enum class Header {
        Identify,       // *IDN?
        Complete,       // *OPC?
        Clear,          // *CLS
        Error,          // SYSTem:ERRor[:NEXT]?
        Status,         // SYSTem:STATus?
        Duty,           // SOURce:PWM:DCYCle
        DutyPreset,     // SOURce:PWM:DCYCle:PRESet (the 0, 50 and 100 % buttons)
        Frequency,      // SOURce:PWM:FREQuency (hertz)
        FrequencyIndex, // SOURce:PWM:FREQuency:INDex
        Measure,        // MEASure:DCYCle?
    };

    struct Command
    {
        Header header = Header::Identify;
        bool query = false;
        QString parameter;
        int error = 0; // a SCPI error number when the command is not understood
        bool operator==(const Command &) const = default;
    };

    static QList<Command> parse(const QString &line);

private:
    struct Spec
    {
        QStringList path; // mnemonics in their long form, short part in capitals
        Header header;
        bool query;
        bool set;
    };
    static const QList<Spec> &specs();
    static bool matches(const QString &mnemonic, const QString &node);
    static const Spec *find(const QStringList &nodes);
};
