#pragma once

#include <QByteArray>
#include <QString>

// Text in the Western Windows code page (cp1252), one byte per character:
// the settings file and the serial line both speak it.
//
// Every byte decodes to one character. The five bytes that cp1252 leaves
// undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D) decode to the C1 control of the
// same number, as Windows itself does, so every byte comes back unchanged
// when the text is encoded again.
class Cp1252Codec
{
public:
    static QString decode(const QByteArray &bytes);
    // A character that the code page cannot hold becomes '?'.
    static QByteArray encode(const QString &text);
};
