// Number text: WholeNumber::fromText and NumberReader::read against
// reference readings written here from their documented grammar, as
// regular expressions.
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

#include <QRegularExpression>

namespace {

// Blanks around, optional sign, digits with at most one decimal separator
// ('.' or `point`) and at least one digit. Rounded half to even on the exact
// decimal digits: the fraction, without trailing zeros, compares with "5" as
// a string the way its value compares with one half.
std::optional<std::int16_t> referenceWhole(const QString &text, QChar point)
{
    const QRegularExpression grammar(QStringLiteral("^[ \\t]*([+-]?)([0-9]*)(?:[%1.]([0-9]*))?[ \\t]*\\z")
                                         .arg(QRegularExpression::escape(point)));
    const QRegularExpressionMatch m = grammar.match(text);
    if (!m.hasMatch() || m.captured(2).size() + m.captured(3).size() == 0)
        return std::nullopt;
    const QString whole = m.captured(2).remove(QRegularExpression(QStringLiteral("^0+")));
    const QString fraction = m.captured(3).remove(QRegularExpression(QStringLiteral("0+$")));
    if (whole.size() > 5)
        return std::nullopt; // 100000 and more, rounding or not
    long value = whole.toLong();
    const int half = fraction.compare(QStringLiteral("5"));
    value += half > 0 || (half == 0 && value % 2 == 1);
    value = m.captured(1) == u"-" ? -value : value;
    if (value < -32768 || value > 32767)
        return std::nullopt;
    return std::int16_t(value);
}

// strtod in the C locale on the longest leading number the reader's grammar
// allows (none reads 0); nullopt when it overflows.
std::optional<double> referenceRead(const QString &text)
{
    static const QRegularExpression grammar(
        QStringLiteral("^[ \\t]*([+-]?(?:[0-9]+(?:\\.[0-9]*)?|\\.[0-9]+)(?:[eE][+-]?[0-9]+)?)"));
    const QByteArray number = grammar.match(text).captured(1).toLatin1();
    if (number.isEmpty())
        return 0.0;
    errno = 0;
    char *end = nullptr;
    const double value = std::strtod(number.constData(), &end);
    FUZZ_CHECK(end == number.constData() + number.size());
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
