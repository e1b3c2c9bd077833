// Received bytes: line assembly and the reading of each reply line.
//
// The input is a small header and then the byte stream:
//   flags            device ID length = flags % 3; bits 6 and 7 both set:
//                    a long line first
//   device ID        0 to 2 bytes
//   seed             drives the chunking of the stream
//   fill, extra      only with a long line: the stream starts with 32639 + extra
//                    copies of `fill`, to reach the line-length limit
//                    without huge inputs
// Missing header bytes read as 0.

#include "FuzzCheck.h"
#include "link/LineAssembler.h"
#include "text/NumberReader.h"
#include "link/Protocol.h"
#include "link/ReplyParser.h"

#include <QList>

#include <cmath>
#include <vector>

namespace {

constexpr qsizetype MaxLength = LineAssembler::MaxLength;

struct Header
{
    QString deviceId;
    std::uint8_t seed = 0;
    QByteArray stream;
};

Header split(const std::uint8_t *data, std::size_t size)
{
    std::size_t pos = 0;
    const auto take = [&]() -> std::uint8_t { return pos < size ? data[pos++] : 0; };
    Header h;
    const std::uint8_t flags = take();
    for (int i = 0; i < flags % 3; ++i)
        h.deviceId += QChar(take());
    h.seed = take();
    if ((flags & 0xC0) == 0xC0) {
        const char fill = char(take());
        h.stream = QByteArray(MaxLength - 128 + take(), fill);
    }
    if (pos < size)
        h.stream.append(reinterpret_cast<const char *>(data + pos), qsizetype(size - pos));
    return h;
}

// Chunk sizes as the serial port might hand them over: mostly short reads,
// now and then a long one. `state` is a xorshift generator.
qsizetype nextChunk(std::uint32_t &state)
{
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    const qsizetype r = qsizetype(state >> 8);
    return (state & 7) == 0 ? 1 + r % 40000 : 1 + r % 16;
}

using Lines = std::vector<LineAssembler::Line>;

// Feeds the stream one chunk at a time, one byte per character as the
// serial component hands them over.
FUZZ_NO_COVERAGE Lines assemble(const QByteArray &stream, std::uint8_t seed, QString *pendingAtEnd)
{
    LineAssembler assembler;
    std::uint32_t state = 0x9E3779B9u ^ (std::uint32_t(seed) * 0x01000193u);
    Lines lines;
    for (qsizetype pos = 0; pos < stream.size();) {
        const qsizetype end = pos + std::min(nextChunk(state), stream.size() - pos);
        for (; pos < end; ++pos) {
            if (auto line = assembler.feed(QChar(uchar(stream[pos]))))
                lines.push_back(std::move(*line));
        }
        FUZZ_CHECK(assembler.pending().size() <= MaxLength);
        FUZZ_CHECK(!assembler.overflowed() || assembler.pending().size() == MaxLength);
    }
    *pendingAtEnd = assembler.pending();
    FUZZ_CHECK(!pendingAtEnd->contains(u'\r') && !pendingAtEnd->contains(u'\n'));
    return lines;
}

// The same lines, worked out directly from the bytes: line feeds are
// dropped, carriage returns end lines, empty lines are none, and each line
// keeps its first MaxLength characters. `lengths` gets each line's full
// length, `pending` the unfinished rest.
FUZZ_NO_COVERAGE Lines expectedLines(QByteArray stream, std::vector<qsizetype> *lengths, QString *pending)
{
    QList<QByteArray> parts = stream.replace('\n', QByteArray()).split('\r');
    *pending = QString::fromLatin1(parts.takeLast().left(MaxLength));
    Lines lines;
    for (const QByteArray &part : parts) {
        if (!part.isEmpty()) {
            lines.push_back({QString::fromLatin1(part.left(MaxLength)), part.size() > MaxLength});
            lengths->push_back(part.size());
        }
    }
    return lines;
}

// Whether `line` starts with `id` + `tail`, compared here one character at a
// time so that the fuzzer sees the comparisons.
bool startsWith(const QString &line, const QString &id, const char *tail)
{
    const QString whole = id + QLatin1String(tail);
    if (line.size() < whole.size())
        return false;
    for (qsizetype i = 0; i < whole.size(); ++i) {
        if (line[i] != whole[i])
            return false;
    }
    return true;
}

void checkValue(float value)
{
    FUZZ_CHECK(std::isfinite(value));
    const QString dot = NumberReader::formatGeneral(value, u'.');
    const QString comma = NumberReader::formatGeneral(value, u',');
    FUZZ_CHECK(dot.size() <= 13 && !dot.contains(u','));
    FUZZ_CHECK(QString(dot).replace(u'.', u',') == comma);
    // Seven significant digits read back to within rounding.
    const std::optional<double> back = NumberReader::read(dot);
    FUZZ_CHECK(back.has_value());
    FUZZ_CHECK(std::fabs(*back - double(value)) <= 1e-6 * std::fabs(double(value)));

    const int button = ReplyParser::frequencyButton(value);
    FUZZ_CHECK(button >= 0 && button <= 7);
    FUZZ_CHECK(button == 0 ? (value != std::round(value) || value < 1 || value > 7) : value == float(button));
}

void checkReply(const LineAssembler::Line &line, const QString &id)
{
    const ReplyParser::Outcome reply = ReplyParser::parse(line.text, line.overflowed, id);
    FUZZ_CHECK(reply.tooLong == line.overflowed);
    if (reply.tooLong) {
        FUZZ_CHECK(!reply.identification && reply.kind == ReplyParser::Kind::Other && !reply.value);
        return;
    }
    FUZZ_CHECK(reply.identification == (line.text.size() == id.size() + 4 && startsWith(line.text, id, "BSok")));

    // A value reply's prefix is exactly five characters, so only a one-character
    // ID matches, or an empty one on the bare line "SV1=" / "SV2=".
    const bool fits = id.size() == 1 || (id.isEmpty() && line.text.size() == 4);
    ReplyParser::Kind kind = ReplyParser::Kind::Other;
    if (fits && startsWith(line.text, id, "SV1="))
        kind = ReplyParser::Kind::Duty;
    else if (fits && startsWith(line.text, id, "SV2="))
        kind = ReplyParser::Kind::Frequency;
    FUZZ_CHECK(reply.kind == kind);
    if (kind == ReplyParser::Kind::Other || line.text.size() < 5)
        FUZZ_CHECK(!reply.value);
    if (reply.value)
        checkValue(*reply.value);

    const QString status = Protocol::receivedStatus(3, QStringLiteral("9600"), line.text);
    FUZZ_CHECK(status.endsWith(line.text));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const Header h = split(data, size);

    QString pending;
    const Lines a = assemble(h.stream, h.seed, &pending);
    std::vector<qsizetype> lengths;
    QString pendingExpected;
    const Lines expected = expectedLines(h.stream, &lengths, &pendingExpected);
    FUZZ_CHECK(a == expected);
    FUZZ_CHECK(pending == pendingExpected);

    for (std::size_t i = 0; i < a.size(); ++i) {
        FUZZ_CHECK(a[i].overflowed == (lengths[i] > MaxLength));
        checkReply(a[i], h.deviceId);
    }
    return 0;
}
