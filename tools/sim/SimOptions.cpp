#include "SimOptions.h"

#include "DeviceProtocol.h"

#include <cctype>
#include <cmath>
#include <cstdlib>
#include <limits>

namespace {

// Options that take a value; everything else is a flag.
bool takesValue(const std::string &name)
{
    static const char *const withValue[] = {"dir", "port", "id", "answer-id", "duty", "freq", "duty-text", "freq-text", "eol",
                                            "late", "flood", "long-line", "hangup-after",
                                            "reappear-after", "cycles", "deaf-on-open", "log"};
    for (const char *candidate : withValue) {
        if (name == candidate)
            return true;
    }
    return false;
}

constexpr std::uint64_t kMaxMs = 24ull * 3600 * 1000;
constexpr std::uint64_t kMaxLongLine = 256ull * 1024 * 1024;

std::string applyValue(const std::string &name, const std::string &value, SimOptions &o)
{
    const auto bad = [&] { return "invalid value for --" + name + ": '" + value + "'"; };
    const auto u32 = std::numeric_limits<std::uint32_t>::max();

    if (name == "dir") {
        if (value.empty())
            return bad();
        o.dir = value;
    } else if (name == "port") {
        const auto v = SimOptions::parseUnsigned(value, 9999);
        if (!v)
            return bad();
        o.port = static_cast<unsigned>(*v);
    } else if (name == "id" || name == "answer-id") {
        const char c = value.size() == 1
                           ? static_cast<char>(std::toupper(static_cast<unsigned char>(value[0])))
                           : '\0';
        if (!std::isdigit(static_cast<unsigned char>(c)) && (c < 'A' || c > 'F'))
            return bad();
        (name == "id" ? o.id : o.answerId) = c;
    } else if (name == "duty-text" || name == "freq-text") {
        (name == "duty-text" ? o.dutyText : o.freqText) = value;
    } else if (name == "duty" || name == "freq") {
        const auto v = SimOptions::parseUnsigned(value, u32);
        if (!v)
            return bad();
        (name == "duty" ? o.duty : o.freqIndex) = static_cast<std::uint32_t>(*v);
    } else if (name == "eol") {
        // Copies of whole strings: assigning the literals trips g++ 12's
        // bogus -Wrestrict at -O3.
        static const std::string cr("\r"), crlf("\r\n"), lfcr("\n\r");
        if (value == "cr")
            o.eol = cr;
        else if (value == "crlf")
            o.eol = crlf;
        else if (value == "lfcr")
            o.eol = lfcr;
        else
            return bad();
    } else if (name == "late" || name == "deaf-on-open") {
        const auto v = SimOptions::parseUnsigned(value, kMaxMs);
        if (!v)
            return bad();
        (name == "late" ? o.lateMs : o.deafOnOpenMs) = static_cast<unsigned>(*v);
    } else if (name == "flood") {
        const auto v = SimOptions::parseSize(value);
        if (!v)
            return bad();
        o.floodBytes = *v;
    } else if (name == "long-line") {
        const auto v = SimOptions::parseUnsigned(value, kMaxLongLine);
        if (!v)
            return bad();
        o.longLine = *v;
    } else if (name == "hangup-after" || name == "reappear-after") {
        const auto v = SimOptions::parseSeconds(value);
        if (!v)
            return bad();
        (name == "hangup-after" ? o.hangupAfter : o.reappearAfter) = *v;
    } else if (name == "cycles") {
        const auto v = SimOptions::parseUnsigned(value, 1000000);
        if (!v || *v == 0)
            return bad();
        o.cycles = static_cast<unsigned>(*v);
    } else if (name == "log") {
        if (value.empty())
            return bad();
        o.logPath = value;
    }
    return {};
}

} // namespace

std::optional<std::uint64_t> SimOptions::parseUnsigned(const std::string &text, std::uint64_t max)
{
    const auto value = DeviceProtocol::parseDigits(text);
    if (!value || *value > max)
        return std::nullopt;
    return value;
}

std::optional<std::uint64_t> SimOptions::parseSize(const std::string &text)
{
    if (text.empty())
        return std::nullopt;
    std::uint64_t factor = 1;
    std::string digits = text;
    switch (text.back()) {
    case 'K': case 'k': factor = 1024; break;
    case 'M': case 'm': factor = 1024 * 1024; break;
    default: break;
    }
    if (factor != 1)
        digits.pop_back();
    // 16 GiB is far beyond anything a test wants and keeps the product in range.
    const std::uint64_t limit = (16ull << 30) / factor;
    const auto v = parseUnsigned(digits, limit);
    if (!v)
        return std::nullopt;
    return *v * factor;
}

std::optional<double> SimOptions::parseSeconds(const std::string &text)
{
    if (text.empty() || text.front() == '-' || text.front() == '+'
        || std::isspace(static_cast<unsigned char>(text.front())))
        return std::nullopt;
    char *end = nullptr;
    const double v = std::strtod(text.c_str(), &end);
    if (end != text.c_str() + text.size() || !std::isfinite(v) || v < 0 || v > 86400)
        return std::nullopt;
    return v;
}

std::string SimOptions::parse(const std::vector<std::string> &args, SimOptions &out)
{
    out = SimOptions{};
    bool sawCycles = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string &arg = args[i];
        if (arg.rfind("--", 0) != 0 || arg.size() == 2)
            return "unexpected argument '" + arg + "'";
        std::string name = arg.substr(2);
        std::optional<std::string> value;
        if (const auto eq = name.find('='); eq != std::string::npos) {
            value = name.substr(eq + 1);
            name.resize(eq);
        }

        if (name == "help" || name == "silent" || name == "garbage" || name == "ignore-sets") {
            if (value)
                return "--" + name + " takes no value";
            (name == "help" ? out.showHelp : name == "silent" ? out.silent : name == "garbage" ? out.garbage : out.ignoreSets) = true;
            continue;
        }
        if (!takesValue(name))
            return "unknown option '--" + name + "'";
        if (!value) {
            if (i + 1 >= args.size())
                return "--" + name + " needs a value";
            value = args[++i];
        }
        sawCycles = sawCycles || name == "cycles";
        if (std::string error = applyValue(name, *value, out); !error.empty())
            return error;
    }

    if (out.showHelp)
        return {};
    if (out.dir.empty())
        return "--dir is required";
    if (out.reappearAfter && !out.hangupAfter)
        return "--reappear-after needs --hangup-after";
    if (sawCycles && !out.reappearAfter)
        return "--cycles needs --reappear-after";
    return {};
}

std::string SimOptions::usage(const std::string &program)
{
    return "Usage: " + program + " --dir DIR [options]\n"
           "Simulates the PWM board on a pseudo-terminal linked as DIR/com<N>.\n"
           "\n"
           "  --dir DIR              directory for the com<N> link (required)\n"
           "  --port N               link name com<N> (default 1)\n"
           "  --id C                 device ID 0-9 or A-F (default 1)\n"
           "  --duty V               initial duty (default 0)\n"
           "  --freq K               initial frequency index (default 1)\n"
           "  --eol cr|crlf|lfcr     line end of replies (default cr)\n"
           "  --silent               never answer\n"
           "  --late MS              answer every command MS milliseconds late, in order\n"
           "  --garbage              answer with random printable garbage\n"
           "  --ignore-sets          take no notice of SV1=/SV2= (search and queries answered)\n"
           "  --answer-id C          reply under ID C whatever was asked (2BSok to 1BS?)\n"
           "  --duty-text TEXT       give the duty as TEXT in replies (999, 1e400, 0x1A)\n"
           "  --freq-text TEXT       give the frequency index as TEXT in replies\n"
           "  --flood BYTES[K|M]     on open, send BYTES random bytes without a CR\n"
           "  --long-line N          on open, send one line of N 'x' characters and CR\n"
           "  --hangup-after SEC     close the pty SEC seconds after start\n"
           "  --reappear-after SEC   after a hang-up, come back on a new pty\n"
           "  --cycles N             hang-up/reappear cycles (default 1)\n"
           "  --deaf-on-open MS      discard input for MS milliseconds after each open\n"
           "  --log FILE             append timestamped events to FILE\n"
           "  --help                 show this text\n"
           "\n"
           "Prints 'READY <slave> <link>' once the link exists (again after each reappear).\n";
}
