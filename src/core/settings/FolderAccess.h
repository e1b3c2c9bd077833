#pragma once

#include <QString>

// Whether a folder lets this program make a new file in it. The settings
// are saved through a new file renamed over the old one; where the folder
// refuses new files but the file itself may be written (a bench PC set up
// by an administrator), SettingsFile overwrites the file in place instead.
//
// POSIX answers from the folder's permission bits (FolderAccess_posix.cpp).
// Windows decides by access control lists, which Qt does not read unless
// asked to, and a folder's read-only attribute means nothing there, so
// FolderAccess_windows.cpp puts the question to the folder itself.
class FolderAccess
{
public:
    static bool takesNewFiles(const QString &folder);
};
