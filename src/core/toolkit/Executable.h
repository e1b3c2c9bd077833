#pragma once

#include "toolkit/Platform.h"

#include <QString>

// The running executable's folder and name. The settings file and the com<n>
// links live beside the executable and take their names from it, so a copy
// of the binary under another name keeps its own settings.
struct Executable
{
    QString directory; // without a trailing separator, '/' between folders
    QString name;      // file name without directory and extension

    static Executable running();

    // The executable at `filePath`, as `platform` names it. Windows takes
    // '\' as well as '/' and drops ".exe": "C:\Bench\Tavermund.exe" is
    // "Tavermund" in "C:/Bench". Other systems have no executable
    // extension, so the file name stands as it is there.
    static Executable at(const QString &filePath, Platform platform = ThisPlatform);
};
