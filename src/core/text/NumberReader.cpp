#include "text/NumberReader.h"

#include <QLocale>

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <iterator>
#include <limits>
#include <string>

namespace {

bool isDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

// A number that is only a few digits, as the devices send them, read
// without the general path's copying. Empty when the text is anything
// else (a fraction, an exponent, more digits).
std::optional<double> readShortWhole(QStringView text, qsizetype i)
{
    const qsizetype n = text.size();
    const bool negative = i < n && text[i] == u'-';
    if (i < n && (text[i] == u'+' || text[i] == u'-'))
        ++i;
    const qsizetype first = i;
    int value = 0;
    for (; i < n && i - first < 9 && isDigit(text[i]); ++i)
        value = value * 10 + (text[i].unicode() - u'0');
    if (i == first || (i < n && (isDigit(text[i]) || text[i] == u'.' || text[i] == u'e' || text[i] == u'E')))
        return std::nullopt;
    return negative ? -double(value) : double(value);
}

// The texts of 0 to 100 in static storage: a copy of one is free, with
// no allocation and no reference count.
constexpr int SharedWholes = 100;

const QString &sharedWhole(int value)
{
    static char16_t digits[SharedWholes + 1][3];
    static const std::array<QString, SharedWholes + 1> texts = [] {
        std::array<QString, SharedWholes + 1> out;
        for (int n = 0; n <= SharedWholes; ++n) {
            const std::string text = std::to_string(n);
            std::copy(text.begin(), text.end(), digits[n]);
            out[std::size_t(n)] = QString::fromRawData(reinterpret_cast<const QChar *>(digits[n]), qsizetype(text.size()));
        }
        return out;
    }();
    return texts[std::size_t(value)];
}

} // namespace

std::optional<double> NumberReader::read(QStringView text)
{
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n && (text[i] == u' ' || text[i] == u'\t'))
        ++i;
    if (const std::optional<double> whole = readShortWhole(text, i))
        return whole;

    // Collect the longest prefix that forms a number, as ASCII.
    std::string number;
    if (i < n && (text[i] == u'+' || text[i] == u'-')) {
        if (text[i] == u'-')
            number += '-';
        ++i;
    }
    // Where the first significant digit stands, as a power of ten; only
    // needed to tell an overflow from an underflow below.
    std::optional<long long> leadingPower;
    qsizetype wholeDigits = 0;
    for (; i < n && isDigit(text[i]); ++i, ++wholeDigits) {
        if (!leadingPower && text[i] != u'0')
            leadingPower = 0;
        if (leadingPower)
            ++*leadingPower;
        number += char(text[i].unicode());
    }
    qsizetype mantissaDigits = wholeDigits;
    if (i < n && text[i] == u'.') {
        qsizetype j = i + 1;
        std::string fraction;
        for (; j < n && isDigit(text[j]); ++j)
            fraction += char(text[j].unicode());
        if (mantissaDigits > 0 || !fraction.empty()) {
            if (!leadingPower) {
                const std::size_t first = fraction.find_first_not_of('0');
                if (first != std::string::npos)
                    leadingPower = -static_cast<long long>(first);
            }
            number += '.';
            number += fraction;
            mantissaDigits += qsizetype(fraction.size());
            i = j;
        }
    }
    if (mantissaDigits == 0)
        return 0.0;

    // The exponent's value, capped far beyond any double so that it cannot
    // overflow; the text itself goes to from_chars unchanged.
    constexpr long long ExponentCap = 1'000'000'000'000LL;
    long long exponentValue = 0;
    if (i < n && (text[i] == u'e' || text[i] == u'E')) {
        qsizetype j = i + 1;
        std::string exponent = "e";
        bool negativeExponent = false;
        if (j < n && (text[j] == u'+' || text[j] == u'-')) {
            negativeExponent = text[j] == u'-';
            exponent += char(text[j].unicode());
            ++j;
        }
        const qsizetype firstExponentDigit = j;
        for (; j < n && isDigit(text[j]); ++j) {
            exponent += char(text[j].unicode());
            exponentValue = std::min(ExponentCap, exponentValue * 10 + (text[j].unicode() - u'0'));
        }
        if (j > firstExponentDigit)
            number += exponent;
        if (negativeExponent)
            exponentValue = -exponentValue;
    }

    double value = 0.0;
    const char *first = number.data();
    if (*first == '-')
        ++first; // from_chars takes no '+', and we add the sign ourselves
    const auto [ptr, ec] = std::from_chars(first, number.data() + number.size(), value);
    (void)ptr;
    if (ec == std::errc::result_out_of_range) {
        // Too small for a double reads as zero; too large is an overflow.
        // Which one it is shows in the power of the first significant digit,
        // not in the exponent's sign: 0.000...1 underflows without one, and
        // 1000...0e-1 can still overflow.
        const long long power = leadingPower.value_or(0) + exponentValue;
        if (leadingPower && power > 0)
            return std::nullopt;
        value = 0.0;
    } else if (ec != std::errc()) {
        return 0.0;
    }
    return number.front() == '-' ? -value : value;
}

std::optional<float> NumberReader::toSingle(double value)
{
    if (!std::isfinite(value) || std::fabs(value) > double(std::numeric_limits<float>::max()))
        return std::nullopt;
    return static_cast<float>(value);
}

QString NumberReader::formatGeneral(float value, QChar decimalPoint)
{
    if (value == 0.0f)
        return QStringLiteral("0");
    // A whole number below 1e7 is just its digits, which is what the
    // devices report nearly always; those of the duty range are shared.
    if (value > 0 && value <= float(SharedWholes) && value == std::trunc(value))
        return sharedWhole(int(value));
    if (std::fabs(value) < 1e7f && value == std::trunc(value)) {
        char16_t digits[8];
        char16_t *first = std::end(digits);
        for (int rest = int(std::fabs(value)); rest != 0; rest /= 10)
            *--first = char16_t(u'0' + rest % 10);
        if (value < 0)
            *--first = u'-';
        return QString(reinterpret_cast<const QChar *>(first), std::end(digits) - first);
    }
    // 'G' with precision 7 gives at most 7 significant digits, drops
    // trailing zeros and switches to exponent form below 1e-4 and from 1e7
    // on. The C locale keeps it free of group separators and local digits;
    // only the decimal separator is the operator's.
    QString text = QLocale::c().toString(double(value), 'G', 7);
    if (decimalPoint != u'.')
        text.replace(u'.', decimalPoint);
    return text;
}
