#pragma once

#include <QString>

// Makes port n name a device: the symbolic link com<n> in the executable's
// folder (see PortLocator), made in PortLinker_posix.cpp. Windows names its
// ports itself, and the port list sets the number there instead, so
// PortLinker_windows.cpp refuses every link.
class PortLinker
{
public:
    enum class Outcome {
        Linked,
        Refused, // com<n> is there and is not a link, or n names no port
        Failed,  // the folder would not take the link
    };
    struct Result
    {
        Outcome outcome = Outcome::Linked;
        QString linkPath;
        QString reason; // why not, in words; empty when linked
        bool replaced = false;     // an old link of that name was replaced
        QByteArray previousTarget; // what the old link held, byte for byte
    };

    // Points com<portNumber> in `directory` at `target`. An old link is
    // replaced in one rename, so the port never goes missing in between;
    // anything else of that name is left as it is.
    static Result link(const QString &directory, int portNumber, const QString &target);

    // Puts back what a successful link() changed: the old link as it was,
    // or no link where there was none. Returns an empty string on success,
    // else the reason.
    static QString undo(const Result &linked);
};
