#include "request/ReplyValue.h"

#include "text/NumberReader.h"

#include <QRegularExpression>

#include <cmath>
#include <limits>

std::optional<double> ReplyValue::number(QStringView text)
{
    static const QRegularExpression decimal(
        QStringLiteral("^[ \\t]*[+-]?([0-9]+(\\.[0-9]*)?|\\.[0-9]+)([eE][+-]?[0-9]+)?[ \\t]*$"));
    if (!decimal.match(text).hasMatch())
        return std::nullopt;
    const std::optional<double> value = NumberReader::read(text);
    if (!value || !std::isfinite(*value) || std::abs(*value) > std::numeric_limits<float>::max())
        return std::nullopt;
    return value;
}

ReplyValue::Reading ReplyValue::read(const QString &reply, Range range)
{
    Reading r;
    r.range = range;
    r.text = reply.mid(reply.indexOf(u'=') + 1);
    r.value = number(r.text);
    if (!r.value)
        return r;
    const double v = *r.value;
    r.inRange = range == Range::Duty ? v >= 0 && v <= 100 : v >= 1 && v <= 7 && v == std::floor(v);
    return r;
}

QString ReplyValue::Reading::problem() const
{
    if (!value)
        return QStringLiteral("\"%1\" is not a number").arg(text);
    if (!inRange)
        return range == Range::Duty ? QStringLiteral("%1 is not a duty from 0 to 100").arg(text.trimmed())
                                    : QStringLiteral("%1 is not a frequency index from 1 to 7").arg(text.trimmed());
    return {};
}
