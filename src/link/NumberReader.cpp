#include "NumberReader.h"

#include <QLocale>

#include <charconv>
#include <cmath>
#include <limits>
#include <string>

namespace {

bool isDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

} // namespace

std::optional<double> NumberReader::read(QStringView text)
{
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n && (text[i] == u' ' || text[i] == u'\t'))
        ++i;

    // Collect the longest prefix that forms a number, as ASCII.
    std::string number;
    if (i < n && (text[i] == u'+' || text[i] == u'-')) {
        if (text[i] == u'-')
            number += '-';
        ++i;
    }
    int mantissaDigits = 0;
    for (; i < n && isDigit(text[i]); ++i, ++mantissaDigits)
        number += char(text[i].unicode());
    if (i < n && text[i] == u'.') {
        qsizetype j = i + 1;
        std::string fraction;
        for (; j < n && isDigit(text[j]); ++j)
            fraction += char(text[j].unicode());
        if (mantissaDigits > 0 || !fraction.empty()) {
            number += '.';
            number += fraction;
            mantissaDigits += int(fraction.size());
            i = j;
        }
    }
    if (mantissaDigits == 0)
        return 0.0;

    bool negativeExponent = false;
    if (i < n && (text[i] == u'e' || text[i] == u'E')) {
        qsizetype j = i + 1;
        std::string exponent = "e";
        if (j < n && (text[j] == u'+' || text[j] == u'-')) {
            negativeExponent = text[j] == u'-';
            exponent += char(text[j].unicode());
            ++j;
        }
        const qsizetype firstExponentDigit = j;
        for (; j < n && isDigit(text[j]); ++j)
            exponent += char(text[j].unicode());
        if (j > firstExponentDigit)
            number += exponent;
    }

    double value = 0.0;
    const char *first = number.data();
    if (*first == '-')
        ++first; // from_chars takes no '+', and we add the sign ourselves
    const auto [ptr, ec] = std::from_chars(first, number.data() + number.size(), value);
    (void)ptr;
    if (ec == std::errc::result_out_of_range) {
        // Too small for a double reads as zero; too large is an overflow.
        if (negativeExponent)
            value = 0.0;
        else
            return std::nullopt;
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
    // 'G' with precision 7 gives at most 7 significant digits, drops
    // trailing zeros and switches to exponent form below 1e-4 and from 1e7
    // on. The C locale keeps it free of group separators and local digits;
    // only the decimal separator is the operator's.
    QString text = QLocale::c().toString(double(value), 'G', 7);
    if (decimalPoint != u'.')
        text.replace(u'.', decimalPoint);
    return text;
}
