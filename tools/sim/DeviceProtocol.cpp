#include "DeviceProtocol.h"

#include <algorithm>
#include <limits>

namespace {

constexpr char kCr = '\r';
constexpr char kLf = '\n';

std::uint32_t initialSeed(std::uint32_t seed)
{
    if (seed != 0)
        return seed;
    std::random_device device;
    return device();
}

} // namespace

DeviceProtocol::DeviceProtocol(const Settings &settings)
    : m_settings(settings)
    , m_random(initialSeed(settings.seed))
{
}

std::optional<std::uint64_t> DeviceProtocol::parseDigits(std::string_view digits)
{
    if (digits.empty())
        return std::nullopt;
    constexpr std::uint64_t most = std::numeric_limits<std::uint64_t>::max();
    std::uint64_t value = 0;
    for (const char c : digits) {
        if (c < '0' || c > '9')
            return std::nullopt;
        const auto digit = static_cast<std::uint64_t>(c - '0');
        value = value > (most - digit) / 10 ? most : value * 10 + digit;
    }
    return value;
}

std::vector<DeviceProtocol::Exchange> DeviceProtocol::feed(std::string_view bytes)
{
    std::vector<Exchange> exchanges;
    for (const char c : bytes) {
        if (c == kLf)
            continue;
        if (c != kCr) {
            if (m_partial.size() < maxLineLength)
                m_partial.push_back(c);
            else
                m_truncated = true;
            continue;
        }
        if (m_partial.empty() && !m_truncated)
            continue;
        Exchange exchange;
        exchange.line = std::move(m_partial);
        exchange.truncated = m_truncated;
        // A cut-off line is not what the PC sent, so the board keeps quiet.
        if (!m_truncated)
            exchange.reply = answer(exchange.line);
        m_partial.clear();
        m_truncated = false;
        exchanges.push_back(std::move(exchange));
    }
    return exchanges;
}

void DeviceProtocol::discardPartialLine()
{
    m_partial.clear();
    m_truncated = false;
}

std::optional<std::string> DeviceProtocol::answer(std::string_view line)
{
    std::optional<std::string> reply = properReply(line);
    if (!reply || m_settings.silent)
        return std::nullopt;
    if (m_settings.garbage)
        return garbageLine(*reply);
    return reply;
}

std::optional<std::string> DeviceProtocol::properReply(std::string_view line)
{
    // The one query every board answers regardless of its ID.
    if (line == "PV1?")
        return valueReply("PV1", m_settings.duty, m_settings.dutyText);

    if (line.size() < 2 || line.front() != m_settings.id)
        return std::nullopt;
    const std::string_view command = line.substr(1);

    if (command == "BS?")
        return std::string(1, m_settings.answerId ? m_settings.answerId : m_settings.id) + "BSok";
    if (command == "PV1")
        return valueReply("PV1", m_settings.duty, m_settings.dutyText);
    if (command.starts_with("SV1"))
        return registerCommand(command, m_settings.duty, m_settings.dutyText);
    if (command.starts_with("SV2"))
        return registerCommand(command, m_settings.freqIndex, m_settings.freqText);
    return std::nullopt;
}

// "SVn" reads the register, "SVn=value" writes it; both answer "idSVn=value".
std::optional<std::string> DeviceProtocol::registerCommand(std::string_view command, std::uint32_t &value,
                                                           const std::optional<std::string> &text)
{
    const std::string_view rest = command.substr(3);
    if (!rest.empty()) {
        if (rest.front() != '=' || m_settings.ignoreSets)
            return std::nullopt;
        const auto parsed = parseDigits(rest.substr(1));
        if (!parsed)
            return std::nullopt;
        value = static_cast<std::uint32_t>(std::min<std::uint64_t>(*parsed, maxValue));
    }
    return valueReply(command.substr(0, 3), value, text);
}

std::string DeviceProtocol::valueReply(std::string_view name, std::uint32_t value,
                                       const std::optional<std::string> &text) const
{
    return std::string(1, m_settings.answerId ? m_settings.answerId : m_settings.id) + std::string(name) + "="
           + text.value_or(std::to_string(value));
}

std::string DeviceProtocol::garbageLine(const std::string &avoid)
{
    std::uniform_int_distribution<int> length(6, 24);
    std::uniform_int_distribution<int> printable(0x21, 0x7E);
    std::string line;
    do {
        line.resize(static_cast<std::size_t>(length(m_random)));
        for (char &c : line)
            c = static_cast<char>(printable(m_random));
    } while (line == avoid);
    return line;
}
