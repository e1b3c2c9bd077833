#pragma once

#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <random>
#include <string>

// Bytes waiting to go out to the port, in order. Replies may carry a due time
// (a slow board); generated streams (flood, long line) are produced in chunks
// as the port takes them, so a 100 MB flood never sits in memory.
class OutputQueue
{
public:
    using Clock = std::chrono::steady_clock;
    // Writes up to size bytes; returns the count taken, 0 when the port is
    // full, or a negative value when the port is gone.
    using Writer = std::function<long(const char *data, std::size_t size)>;
    enum class Result { Idle, Blocked, Failed };

    explicit OutputQueue(std::uint32_t seed = 0);

    void pushReply(const std::string &line, const std::string &eol, Clock::time_point due);
    void pushRandom(std::uint64_t count);
    void pushRepeated(char c, std::uint64_t count);
    void pushText(std::string text);

    // Writes everything that is due. Idle: nothing due is left over.
    Result writeDue(Clock::time_point now, const Writer &writer);
    // Drops everything; returns the number of replies that never went out.
    std::size_t clear();

    bool empty() const { return m_segments.empty(); }
    bool hasDue(Clock::time_point now) const;
    std::optional<Clock::time_point> nextDue() const;

    // Called with the reply line (without its end) once it is fully written.
    std::function<void(const std::string &)> onReplySent;

    static constexpr std::size_t chunkSize = 64 * 1024;

private:
    enum class Kind { Text, Reply, Random, Repeated };
    struct Segment
    {
        Kind kind = Kind::Text;
        std::string bytes;            // Text/Reply
        std::size_t offset = 0;       // Text/Reply: how much of bytes went out
        std::size_t replyLength = 0;  // Reply: length of the text without line end
        std::uint64_t remaining = 0;  // Random/Repeated: bytes still to generate
        char fill = 0;
        Clock::time_point due{};
    };

    void materialize(Segment &generator);
    char randomByte();

    std::deque<Segment> m_segments;
    std::mt19937_64 m_random;
};
