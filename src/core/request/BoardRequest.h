#pragma once

#include <QString>

// One thing a script or a remote client asks of the board, and how it
// ended. Every set is confirmed by the board's answer that carries the value
// sent; every reading is the board's answer to the query sent for it.
struct BoardRequest
{
    enum class Kind {
        DutyPreset,   // "0%", "50%" or "100%": value 0, 50 or 100
        DutyTyped,    // the duty box and "Send": text, the typed rule
        Frequency,    // a frequency button: value 1 to 7
        AskDuty,      // the duty query
        AskFrequency, // the frequency-index query
        Measure,      // the poll, and the value it reports
        Barrier,      // nothing: done once every request before it is
    };

    Kind kind = Kind::Barrier;
    int value = 0;
    QString text;
};

struct RequestOutcome
{
    enum class Status {
        Done,            // confirmed, or read within the protocol's range
        NotFound,        // no board to ask: not found, or lost meanwhile
        NoAnswer,        // nothing answered within the time-out
        OtherValue,      // a set the board answered with another value
        OutsideProtocol, // a reading that is not a number, or out of range
        SendFailed,      // the command could not be written
        Refused,         // a value the bench's own rules refuse; nothing sent
    };

    Status status = Status::Done;
    // For readings, and for a set answered otherwise: the value as the
    // board sent it, and the reply line it came in.
    QString valueText;
    QString reply;
    double value = 0;
    // In words, for a message: what was sent, what came back.
    QString detail;

    bool ok() const { return status == Status::Done; }
};
