#pragma once

#include <QString>
#include <QStringView>

#include <optional>

// Splits the settings file into its comma-separated fields, the way the
// tool has always read it.
//
// A field ends at a comma or at the end of a line (CR LF, LF or CR). Blanks
// in front of a field are skipped. A field that begins with a double quote
// runs to the next double quote, so it may hold commas and blanks; anything
// between the closing quote and the next comma or line end is ignored. An
// unquoted field runs to the next comma or line end, without its trailing
// blanks. Empty lines between records are skipped.
class FieldReader
{
public:
    explicit FieldReader(QStringView text);

    // The next field's text, or nullopt once the input is used up.
    std::optional<QString> next();
    // Where reading stands: just past the last field's delimiter.
    qsizetype position() const { return m_pos; }

private:
    bool atLineEnd() const;
    void skipLineEnd();
    void skipToDelimiter();

    QStringView m_text;
    qsizetype m_pos = 0;
    bool m_afterComma = false;
};
