#pragma once

#include <QString>
#include <QStringView>

#include <optional>

// Reads the leading decimal number of a text the way the device's replies
// and the settings file need it: locale-independent, forgiving about what
// follows the number.
//
// Leading blanks are skipped, then an optional sign, digits, an optional '.'
// with further digits and an optional exponent (e/E, optional sign, digits).
// Reading stops at the first character that cannot continue the number; a
// text that does not begin with a number reads as 0. No "inf", "nan" or hex.
class NumberReader
{
public:
    // nullopt when the number lies beyond double precision (1e999).
    static std::optional<double> read(QStringView text);

    // The value narrowed to single precision; nullopt when it lies beyond
    // the single-precision range, which the callers treat as a failure.
    static std::optional<float> toSingle(double value);

    // General number format: at most 7 significant digits, the shortest
    // form, exponent form (1.234568E+07, 1E-05) outside 1e-4..1e7, and the
    // given decimal separator.
    static QString formatGeneral(float value, QChar decimalPoint = u'.');
};
