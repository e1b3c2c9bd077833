#pragma once

#include <cstdint>
#include <optional>
#include <random>
#include <string>
#include <string_view>
#include <vector>

// The board's command interpreter, free of any I/O: bytes go in, received
// lines and the replies they earn come out. Replies carry no line end; the
// caller frames them. Besides the proper board it plays the misbehaving
// ones a script must see through: one that ignores sets, one that answers
// under another ID, one whose values are no numbers of the protocol.
class DeviceProtocol
{
public:
    struct Settings
    {
        char id = '1';
        std::uint32_t duty = 0;
        std::uint32_t freqIndex = 1;
        bool silent = false;
        bool garbage = false;
        bool ignoreSets = false;            // SVn=value: no answer, no change
        char answerId = 0;                  // the ID replies carry; 0: id
        std::optional<std::string> dutyText; // the duty as replies give it
        std::optional<std::string> freqText; // the frequency index likewise
        std::uint32_t seed = 0; // 0: seed from the system
    };

    struct Exchange
    {
        std::string line;      // as received, without CR
        bool truncated = false; // longer than maxLineLength; the rest was dropped
        std::optional<std::string> reply;
    };

    // A real board has a small receive buffer; an endless line must not eat
    // our memory either.
    static constexpr std::size_t maxLineLength = 1024;
    static constexpr std::uint32_t maxValue = 0xFFFFFFFFu;

    explicit DeviceProtocol(const Settings &settings);

    std::vector<Exchange> feed(std::string_view bytes);
    // Handles one complete line, as if it had arrived followed by CR.
    std::optional<std::string> answer(std::string_view line);
    // Forgets a half-received line, as a board does when it resets.
    void discardPartialLine();

    char id() const { return m_settings.id; }
    std::uint32_t duty() const { return m_settings.duty; }
    std::uint32_t freqIndex() const { return m_settings.freqIndex; }

    // The one number the board and its options read: decimal digits and
    // nothing else, saturating at the largest 64-bit value.
    static std::optional<std::uint64_t> parseDigits(std::string_view digits);

private:
    std::optional<std::string> properReply(std::string_view line);
    std::optional<std::string> registerCommand(std::string_view command, std::uint32_t &value,
                                               const std::optional<std::string> &text);
    std::string valueReply(std::string_view name, std::uint32_t value, const std::optional<std::string> &text) const;
    std::string garbageLine(const std::string &avoid);

    Settings m_settings;
    std::string m_partial;
    bool m_truncated = false;
    std::mt19937 m_random;
};
