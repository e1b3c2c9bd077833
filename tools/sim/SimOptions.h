#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// Command-line settings of tavermund-sim. parse() fills the struct and returns
// an error text; an empty text means the arguments were fine.
struct SimOptions
{
    std::string dir;
    unsigned port = 1;
    char id = '1';
    std::uint32_t duty = 0;
    std::uint32_t freqIndex = 1;
    std::string eol = "\r";
    bool silent = false;
    bool garbage = false;
    bool ignoreSets = false;
    char answerId = 0; // 0: id
    std::optional<std::string> dutyText, freqText;
    unsigned lateMs = 0;
    std::uint64_t floodBytes = 0;
    std::uint64_t longLine = 0;
    std::optional<double> hangupAfter;
    std::optional<double> reappearAfter;
    unsigned cycles = 1;
    unsigned deafOnOpenMs = 0;
    std::string logPath;
    bool showHelp = false;

    static std::string parse(const std::vector<std::string> &args, SimOptions &out);
    static std::string usage(const std::string &program);

    std::string linkName() const { return "com" + std::to_string(port); }

    // Accepts "123", "64K", "100M" (binary multiples).
    static std::optional<std::uint64_t> parseSize(const std::string &text);
    static std::optional<std::uint64_t> parseUnsigned(const std::string &text,
                                                      std::uint64_t max);
    static std::optional<double> parseSeconds(const std::string &text);
};
