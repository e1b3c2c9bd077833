#pragma once

#include <QString>

// The running executable's folder and name. The settings file and the com<n>
// links live beside the executable and take their names from it, so a copy
// of the binary under another name keeps its own settings.
struct Executable
{
    QString directory; // without a trailing separator
    QString name;      // file name without directory and extension

    static Executable running();

    // "Tavermund.exe" -> "Tavermund" on Windows; other systems have no
    // executable extension, so the file name stands as it is there.
    static QString nameOf(const QString &fileName, bool windows);
};
