#pragma once

#include <QByteArray>
#include <QString>

// Text in the settings file: one byte per character in the Western Windows
// code page (cp1252), as the tool has always written it.
//
// Reading also accepts a file that someone saved from a UTF-8 editor: when
// the bytes are valid UTF-8 (with or without a byte-order mark) and hold
// anything beyond ASCII, they are read as UTF-8.
class TextCodec8
{
public:
    static QString decode(const QByteArray &bytes);
    // A character that the code page cannot hold becomes '?'.
    static QByteArray encode(const QString &text);

    static QString decodeCp1252(const QByteArray &bytes);
};
