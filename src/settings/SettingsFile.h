#pragma once

#include "SettingsValues.h"

#include <QByteArray>
#include <QString>

#include <optional>

// The settings file beside the executable: <folder>/<name>.ini, two lines
// ended by CR LF, one byte per character.
//
//     1,"9600","1",0,"-"
//     "PWM(%):","Label2","nc","nc"
//
// Numbers stand bare, texts in double quotes, nothing is escaped. A double
// quote cannot be stored inside a text, so it is written as a single quote;
// that keeps every file readable as nine fields.
class SettingsFile
{
public:
    // A settings file is a few dozen bytes. Anything larger than this is not
    // one of ours, and it is refused without reading it whole.
    static constexpr qint64 MaxSize = 64 * 1024;

    static QString pathFor(const QString &directory, const QString &executableName);

    // The nine values, or nullopt when the file is missing, unreadable,
    // larger than MaxSize, binary (holds NUL bytes), has fewer than nine
    // fields, or a number in field 1 or 4 lies outside -32768..32767.
    static std::optional<SettingsValues> read(const QString &path);
    static std::optional<SettingsValues> parse(const QByteArray &bytes);

    static QByteArray serialize(const SettingsValues &values);

    // Replaces the file atomically: on any failure the old file is left as
    // it was. Returns an empty string on success, else the reason.
    static QString write(const QString &path, const SettingsValues &values);
};
