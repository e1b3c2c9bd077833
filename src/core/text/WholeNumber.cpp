#include "text/WholeNumber.h"

#include <algorithm>

namespace {

bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t';
}

bool isDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

} // namespace

std::optional<std::int16_t> WholeNumber::fromText(QStringView text, QChar localeDecimalPoint)
{
    qsizetype i = 0;
    qsizetype end = text.size();
    while (i < end && isBlank(text[i]))
        ++i;
    while (end > i && isBlank(text[end - 1]))
        --end;

    bool negative = false;
    if (i < end && (text[i] == u'+' || text[i] == u'-')) {
        negative = text[i] == u'-';
        ++i;
    }

    // Whole part. The magnitude is capped well above the 16-bit range, so
    // a long run of digits cannot overflow the accumulator.
    constexpr long Cap = 1'000'000;
    long magnitude = 0;
    int digits = 0;
    for (; i < end && isDigit(text[i]); ++i, ++digits)
        magnitude = std::min(Cap, magnitude * 10 + (text[i].unicode() - u'0'));

    // Fraction: only its first digit and whether anything non-zero follows
    // matter for rounding.
    int firstFractionDigit = -1;
    bool restNonZero = false;
    if (i < end && (text[i] == u'.' || text[i] == localeDecimalPoint)) {
        ++i;
        for (; i < end && isDigit(text[i]); ++i, ++digits) {
            const int d = text[i].unicode() - u'0';
            if (firstFractionDigit < 0)
                firstFractionDigit = d;
            else if (d != 0)
                restNonZero = true;
        }
    }
    if (digits == 0 || i != end)
        return std::nullopt;

    bool roundUp = false;
    if (firstFractionDigit > 5 || (firstFractionDigit == 5 && restNonZero))
        roundUp = true;
    else if (firstFractionDigit == 5)
        roundUp = (magnitude % 2) != 0; // an exact half goes to the even neighbour
    if (roundUp)
        magnitude = std::min(Cap, magnitude + 1);

    const long value = negative ? -magnitude : magnitude;
    if (value < Min || value > Max)
        return std::nullopt;
    return static_cast<std::int16_t>(value);
}

QString WholeNumber::toText(int value)
{
    return QString::number(value);
}
