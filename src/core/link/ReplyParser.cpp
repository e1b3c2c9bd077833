#include "link/ReplyParser.h"

#include "link/LineAssembler.h"
#include "link/Protocol.h"
#include "text/NumberReader.h"

ReplyParser::Outcome ReplyParser::parse(const QString &line, bool overflowed, const QString &deviceId)
{
    Outcome out;
    if (overflowed || line.size() > LineAssembler::MaxLength) {
        out.tooLong = true;
        return out;
    }
    out.identification = line == Protocol::identificationReply(deviceId);

    // The prefix is the first five characters, compared exactly; with a
    // device ID of any other length the value replies never match.
    const QString prefix = line.left(5);
    if (prefix == Protocol::dutyPrefix(deviceId))
        out.kind = Kind::Duty;
    else if (prefix == Protocol::frequencyPrefix(deviceId))
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
