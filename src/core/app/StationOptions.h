#pragma once

#include "settings/SettingsValues.h"
#include "toolkit/Executable.h"
#include "toolkit/Intervals.h"
#include "toolkit/MessageRequest.h"

#include <chrono>
#include <optional>

// What a bench station takes from the front end that runs it: the
// executable it belongs to (its folder holds the settings file and the
// com<n> links), who answers its boxes, its timer intervals, and for the
// command line the values and the device to use instead of the settings
// file and COM n, and whether the board is read back once found.
struct StationOptions
{
    Executable executable = Executable::running();
    AskOperator ask;
    Intervals intervals;
    // Instead of the settings file, which is then neither read nor written.
    std::optional<SettingsValues> settings;
    // Opened whatever the port number; empty: the device COM n reaches.
    QString devicePath;
    // Where com<n> links are looked up; empty: the executable's folder.
    QString linkDirectory;
    // The window reads the board back once it is found, so that it shows
    // the board's values before anyone touches it; a script asks for what
    // it wants itself.
    bool readBack = true;
    // How long a command waits for its reply before the ledger forgets it.
    std::chrono::milliseconds replyPatience{10000};
};
