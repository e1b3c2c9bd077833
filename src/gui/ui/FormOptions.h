#pragma once

#include "serial/PortEntry.h"
#include "toolkit/Executable.h"
#include "toolkit/Intervals.h"
#include "toolkit/MessageRequest.h"

#include <QString>

#include <functional>

// What the window takes from its surroundings: the executable it belongs to
// (its folder holds the settings file and the com<n> links), who answers its
// message boxes, its timer intervals, where its port list comes from and
// who picks a log file. Tests supply their own; the program uses the
// defaults.
struct FormOptions
{
    Executable executable = Executable::running();
    AskOperator messageBox; // empty: real modal boxes
    Intervals intervals;
    PortLister ports; // empty: this machine's ports (PortCatalog)
    // The file to log to, or empty for none chosen; empty: a file dialog.
    std::function<QString()> chooseLogFile;
};
