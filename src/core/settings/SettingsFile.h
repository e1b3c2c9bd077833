#pragma once

#include "settings/SettingsValues.h"

#include <QByteArray>
#include <QString>

#include <optional>

// The settings file beside the executable: <folder>/<name>.ini, two lines
// ended by CR LF, one byte per character.
//
//     1,"9600","1",0,"-"
//     "PWM(%):","Label2","nc","nc"
//
// Numbers stand bare, texts in double quotes, nothing is escaped. Texts are
// cp1252; a file that someone saved from a UTF-8 editor is read as UTF-8.
// A double
// quote cannot be stored inside a text, so it is written as a single quote;
// that keeps every file readable as nine fields.
class SettingsFile
{
public:
    // A settings file is a few dozen bytes. Only this much of a file is
    // read: enough for the two lines, whatever follows them.
    static constexpr qint64 MaxSize = 64 * 1024;

    // <directory>/<executableName>.ini, with '/' as Qt writes paths on every
    // system (Executable::at gives the folder so on Windows too).
    static QString pathFor(const QString &directory, const QString &executableName);

    // The nine values, or nullopt when the file is missing or unreadable,
    // has fewer than nine fields within its first MaxSize bytes, holds a NUL
    // within them, or has a number in field 1 or 4 outside -32768..32767.
    // Whatever follows the ninth field (notes, a pasted log, binary junk) is
    // ignored.
    static std::optional<SettingsValues> read(const QString &path);
    static std::optional<SettingsValues> parse(const QByteArray &bytes);

    static QByteArray serialize(const SettingsValues &values);

    struct Written
    {
        QString problem;      // empty on success, else the reason
        bool damaged = false; // failed, and the old file could not be put back
    };
    // Replaces the file atomically: on any failure the old file is left as
    // it was. In a folder that only lets the file itself be written, the
    // file is overwritten in place, and should that fail (a full disk), its
    // old bytes, kept in memory, are written back.
    static Written write(const QString &path, const SettingsValues &values);
};
