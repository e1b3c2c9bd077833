// Number text: WholeNumber::fromText and NumberReader::read against
// reference readings written here from their documented grammar.
//
// The input is the text itself, taken once byte per character and once as
// UTF-8 (so that characters beyond Latin-1 show up too). Where it holds the
// byte 0x01, it is also read a third time with each 0x01 <n> <c> standing
// for 4 * (n + 1) copies of c: long runs of digits and zeros are where the
// range limits of double lie, and mutations alone rarely build them.

#include "FuzzCheck.h"
#include "text/NumberReader.h"
#include "text/WholeNumber.h"

#include <cerrno>
#include <clocale>
#include <cmath>
#include <cstdlib>
#include <string>

namespace {

bool isDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t';
}

// Blanks around, optional sign, digits with at most one decimal separator
// ('.' or `point`) and at least one digit. Rounded half to even on the exact
// decimal digits: the fraction, without trailing zeros, compares with "5" as
// a string the way its value compares with one half.
std::optional<std::int16_t> referenceWhole(const QString &text, QChar point)
{
    qsizetype i = 0;
    qsizetype end = text.size();
    while (i < end && isBlank(text[i]))
        ++i;
    while (end > i && isBlank(text[end - 1]))
        --end;
    const bool negative = i < end && text[i] == u'-';
    if (i < end && (text[i] == u'-' || text[i] == u'+'))
        ++i;

    std::string whole;
    std::string fraction;
    bool afterPoint = false;
    for (; i < end; ++i) {
        const QChar c = text[i];
        if (isDigit(c))
            (afterPoint ? fraction : whole) += char(c.unicode());
        else if (!afterPoint && (c == u'.' || c == point))
            afterPoint = true;
        else
            return std::nullopt;
    }
    if (whole.empty() && fraction.empty())
        return std::nullopt;

    whole.erase(0, whole.find_first_not_of('0'));
    while (!fraction.empty() && fraction.back() == '0')
        fraction.pop_back();
    if (whole.size() > 5)
        return std::nullopt; // 100000 and more, rounding or not
    long value = whole.empty() ? 0 : std::stol(whole);
    const int half = fraction.compare("5");
    if (half > 0 || (half == 0 && value % 2 == 1))
        ++value;
    if (negative)
        value = -value;
    if (value < -32768 || value > 32767)
        return std::nullopt;
    return std::int16_t(value);
}

// The longest leading number the reader's grammar allows, as ASCII; empty
// when the text does not begin with a number.
std::string leadingNumber(const QString &text)
{
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n && isBlank(text[i]))
        ++i;
    std::string out;
    if (i < n && (text[i] == u'+' || text[i] == u'-'))
        out += char(text[i++].unicode());
    const std::size_t start = out.size();
    for (; i < n && isDigit(text[i]); ++i)
        out += char(text[i].unicode());
    const bool wholeDigits = out.size() > start;
    if (i + 1 < n && text[i] == u'.' && isDigit(text[i + 1])) {
        out += '.';
        for (++i; i < n && isDigit(text[i]); ++i)
            out += char(text[i].unicode());
    } else if (wholeDigits && i < n && text[i] == u'.') {
        out += '.';
        ++i;
    }
    if (out.size() == start)
        return {};
    if (i < n && (text[i] == u'e' || text[i] == u'E')) {
        qsizetype j = i + 1;
        if (j < n && (text[j] == u'+' || text[j] == u'-'))
            ++j;
        if (j < n && isDigit(text[j])) {
            for (; i < j; ++i)
                out += char(text[i].unicode());
            for (; i < n && isDigit(text[i]); ++i)
                out += char(text[i].unicode());
        }
    }
    return out;
}

// strtod in the C locale on that prefix; nullopt when it overflows.
std::optional<double> referenceRead(const QString &text)
{
    const std::string number = leadingNumber(text);
    if (number.empty())
        return 0.0;
    errno = 0;
    char *end = nullptr;
    const double value = std::strtod(number.c_str(), &end);
    FUZZ_CHECK(end == number.c_str() + number.size());
    if (errno == ERANGE && std::isinf(value))
        return std::nullopt;
    return value;
}

bool sameDouble(double a, double b)
{
    return a == b && std::signbit(a) == std::signbit(b);
}

void checkText(const QString &text)
{
    for (const QChar point : {QChar(u'.'), QChar(u',')}) {
        const std::optional<std::int16_t> got = WholeNumber::fromText(text, point);
        FUZZ_CHECK(got == referenceWhole(text, point));
    }
    const std::optional<double> read = NumberReader::read(text);
    const std::optional<double> reference = referenceRead(text);
    FUZZ_CHECK(read.has_value() == reference.has_value());
    if (read) {
        FUZZ_CHECK(!std::isnan(*read));
        FUZZ_CHECK(sameDouble(*read, *reference));
        if (const std::optional<float> single = NumberReader::toSingle(*read))
            FUZZ_CHECK(std::isfinite(*single));
    }
}

QString expandRuns(const QByteArray &bytes)
{
    QString out;
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\x01' && i + 2 < bytes.size()) {
            out += QString(4 * (uchar(bytes[i + 1]) + 1), QChar(uchar(bytes[i + 2])));
            i += 2;
        } else {
            out += QChar(uchar(bytes[i]));
        }
    }
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    // The reference reading relies on strtod's C-locale decimal point.
    static const bool cLocale = std::setlocale(LC_NUMERIC, "C") != nullptr;
    FUZZ_CHECK(cLocale);

    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    checkText(QString::fromLatin1(bytes));
    checkText(QString::fromUtf8(bytes));
    if (bytes.contains('\x01'))
        checkText(expandRuns(bytes));
    return 0;
}
