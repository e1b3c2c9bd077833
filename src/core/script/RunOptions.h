#pragma once

#include "app/StationOptions.h"
#include "script/ExitCode.h"

#include <QString>

#include <chrono>
#include <optional>

// Where the command line's bench comes from: the port, the line and the
// board as its options give them, checked, and made into a station's
// options.
//
//  --port N       COM N as the window finds it: a com<N> link beside the
//                 settings file (or beside the executable without one),
//                 else /dev/ttyS<N-1>
//  --port PATH    that device
//  --settings F   port, baud rate, device ID and poll period from a
//                 settings file, which is only read
//  --baud, --id   override those; --poll S polls every S seconds
//  --timeout S    how long to wait for the board (default 10 s)
//  --duration S   how long monitor runs
// Without any of them: COM 1, 9600 baud, device ID "1", no poll.
class RunOptions
{
public:
    struct Given
    {
        std::optional<QString> port, settingsFile, baud, id, timeout, poll, duration;
    };
    struct Resolved
    {
        StationOptions station;
        std::chrono::milliseconds timeout{10000};
        std::optional<std::chrono::milliseconds> duration;
        QString error; // empty when the options hold
    };

    static Resolved resolve(const Given &given, const Executable &executable);

    // How a script names the port: the device path, or "COM 3 (/dev/ttyUSB0)".
    static QString portName(const StationOptions &station);
    // The device the port opens; empty when COM n reaches none.
    static QString devicePath(const StationOptions &station);
};
