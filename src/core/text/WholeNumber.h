#pragma once

#include "toolkit/Constants.h"

#include <QChar>
#include <QString>
#include <QStringView>

#include <cstdint>
#include <optional>

// Conversions between text and the tool's 16-bit whole numbers.
//
// fromText accepts blanks around the number, an optional sign, decimal
// digits and an optional decimal fraction. A fraction is rounded to the
// nearest whole number, an exact half to the even neighbour (2.5 -> 2,
// 3.5 -> 4). The rounding works on the decimal digits themselves, so no
// binary floating-point error can tip a half either way. Anything else, or a
// result outside -32768..32767, is refused.
class WholeNumber
{
public:
    static constexpr int Min = Int16::Min;
    static constexpr int Max = Int16::Max;

    // The decimal point is always '.'; `localeDecimalPoint` adds the
    // operator's own separator (',' in many locales) as a second choice.
    static std::optional<std::int16_t> fromText(QStringView text, QChar localeDecimalPoint = u'.');

    // Plain decimal digits, a minus sign when negative, no blanks.
    static QString toText(int value);
};
