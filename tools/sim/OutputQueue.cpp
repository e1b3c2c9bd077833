#include "OutputQueue.h"

#include <algorithm>
#include <array>

namespace {

// Flood bytes: printable ASCII, the high half and NUL, but never CR or LF, so
// the receiver can never see a line end.
const std::array<char, 224> &floodAlphabet()
{
    static const std::array<char, 224> alphabet = [] {
        std::array<char, 224> a{};
        std::size_t n = 0;
        a[n++] = '\0';
        for (int c = 0x20; c <= 0x7E; ++c)
            a[n++] = static_cast<char>(c);
        for (int c = 0x80; c <= 0xFF; ++c)
            a[n++] = static_cast<char>(c);
        return a;
    }();
    return alphabet;
}

std::uint64_t initialSeed(std::uint32_t seed)
{
    if (seed != 0)
        return seed;
    std::random_device device;
    return (std::uint64_t{device()} << 32) | device();
}

} // namespace

OutputQueue::OutputQueue(std::uint32_t seed)
    : m_random(initialSeed(seed))
{
}

void OutputQueue::pushReply(const std::string &line, const std::string &eol, Clock::time_point due)
{
    Segment s;
    s.kind = Kind::Reply;
    s.replyLength = line.size();
    s.bytes = line + eol;
    s.due = due;
    m_segments.push_back(std::move(s));
}

void OutputQueue::pushRandom(std::uint64_t count)
{
    if (count == 0)
        return;
    Segment s;
    s.kind = Kind::Random;
    s.remaining = count;
    m_segments.push_back(std::move(s));
}

void OutputQueue::pushRepeated(char c, std::uint64_t count)
{
    if (count == 0)
        return;
    Segment s;
    s.kind = Kind::Repeated;
    s.remaining = count;
    s.fill = c;
    m_segments.push_back(std::move(s));
}

void OutputQueue::pushText(std::string text)
{
    if (text.empty())
        return;
    Segment s;
    s.bytes = std::move(text);
    m_segments.push_back(std::move(s));
}

char OutputQueue::randomByte()
{
    const auto &alphabet = floodAlphabet();
    return alphabet[m_random() % alphabet.size()];
}

// Turns the next chunk of a generated stream into a text segment in front of it.
void OutputQueue::materialize(Segment &generator)
{
    const auto n = static_cast<std::size_t>(std::min<std::uint64_t>(generator.remaining, chunkSize));
    Segment chunk;
    if (generator.kind == Kind::Repeated) {
        chunk.bytes.assign(n, generator.fill);
    } else {
        chunk.bytes.resize(n);
        for (char &c : chunk.bytes)
            c = randomByte();
    }
    generator.remaining -= n;
    if (generator.remaining == 0)
        m_segments.pop_front();
    m_segments.push_front(std::move(chunk));
}

OutputQueue::Result OutputQueue::writeDue(Clock::time_point now, const Writer &writer)
{
    while (!m_segments.empty()) {
        Segment &front = m_segments.front();
        if (front.kind == Kind::Random || front.kind == Kind::Repeated) {
            materialize(front);
            continue;
        }
        // Queue order is wire order: a reply that is not due yet holds back
        // everything behind it.
        if (front.kind == Kind::Reply && front.due > now)
            return Result::Idle;
        const long written = writer(front.bytes.data() + front.offset,
                                    front.bytes.size() - front.offset);
        if (written < 0)
            return Result::Failed;
        if (written == 0)
            return Result::Blocked;
        front.offset += static_cast<std::size_t>(written);
        if (front.offset < front.bytes.size())
            continue;
        const Segment done = std::move(front);
        m_segments.pop_front();
        if (done.kind == Kind::Reply && onReplySent)
            onReplySent(done.bytes.substr(0, done.replyLength));
    }
    return Result::Idle;
}

std::size_t OutputQueue::clear()
{
    const auto replies = std::count_if(m_segments.begin(), m_segments.end(), [](const Segment &s) {
        return s.kind == Kind::Reply && s.offset < s.bytes.size();
    });
    m_segments.clear();
    return static_cast<std::size_t>(replies);
}

bool OutputQueue::hasDue(Clock::time_point now) const
{
    return !m_segments.empty()
           && (m_segments.front().kind != Kind::Reply || m_segments.front().due <= now);
}

std::optional<OutputQueue::Clock::time_point> OutputQueue::nextDue() const
{
    if (m_segments.empty())
        return std::nullopt;
    const Segment &front = m_segments.front();
    return front.kind == Kind::Reply ? front.due : Clock::time_point::min();
}
