#include "link/ReplyParser.h"

#include "link/LineAssembler.h"
#include "text/NumberReader.h"

#include <algorithm>

namespace {

// Whether `text` is exactly the device ID followed by `rest`. Compared in
// place: this runs for every received line.
bool isIdThen(QStringView text, QStringView deviceId, QStringView rest)
{
    return text.size() == deviceId.size() + rest.size()
        && std::equal(deviceId.begin(), deviceId.end(), text.begin())
        && std::equal(rest.begin(), rest.end(), text.begin() + deviceId.size());
}

} // namespace

ReplyParser::Outcome ReplyParser::parse(const QString &line, bool overflowed, const QString &deviceId)
{
    Outcome out;
    if (overflowed || line.size() > LineAssembler::MaxLength) {
        out.tooLong = true;
        return out;
    }
    const QStringView text(line);
    out.identification = isIdThen(text, deviceId, u"BSok");

    // The prefix is the first five characters, compared exactly; with a
    // device ID of any other length the value replies never match.
    const QStringView prefix = text.left(5);
    if (isIdThen(prefix, deviceId, u"SV1="))
        out.kind = Kind::Duty;
    else if (isIdThen(prefix, deviceId, u"SV2="))
        out.kind = Kind::Frequency;
    else
        return out;

    // Everything after the fifth character. A line shorter than five
    // characters can only get here with an empty device ID ("SV1="), and
    // then its value text would have a negative length: a failure.
    if (line.size() < 5)
        return out;
    const std::optional<double> number = NumberReader::read(QStringView(line).mid(5));
    if (number)
        out.value = NumberReader::toSingle(*number);
    return out;
}

int ReplyParser::frequencyButton(float reportedIndex)
{
    for (int k = 1; k <= 7; ++k) {
        if (reportedIndex == float(k))
            return k;
    }
    return 0;
}
