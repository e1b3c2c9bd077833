#include "SimDevice.h"

#include <algorithm>
#include <cstdio>
#include <poll.h>

namespace {

// While nobody has the port open the master reports POLLHUP at once, so poll
// cannot wait for the open; we look again after this pause instead.
constexpr auto kClosedPollInterval = std::chrono::milliseconds(20);
// Bounds one read burst so a chatty tool cannot starve our output.
constexpr std::size_t kMaxReadPerRound = 64 * 1024;

std::chrono::steady_clock::duration fromSeconds(double s)
{
    return std::chrono::duration_cast<std::chrono::steady_clock::duration>(
        std::chrono::duration<double>(s));
}

DeviceProtocol::Settings protocolSettings(const SimOptions &o)
{
    DeviceProtocol::Settings s;
    s.id = o.id;
    s.duty = o.duty;
    s.freqIndex = o.freqIndex;
    s.silent = o.silent;
    s.garbage = o.garbage;
    s.ignoreSets = o.ignoreSets;
    s.answerId = o.answerId;
    s.dutyText = o.dutyText;
    s.freqText = o.freqText;
    return s;
}

} // namespace

SimDevice::SimDevice(const SimOptions &options)
    : m_options(options)
    , m_protocol(protocolSettings(options))
    , m_link(options.dir, options.linkName())
{
    m_output.onReplySent = [this](const std::string &line) {
        m_log.write("tx", EventLog::printable(line));
    };
}

int SimDevice::run()
{
    for (const std::string &error : {m_log.open(m_options.logPath), m_link.prepare()}) {
        if (!error.empty()) {
            std::fprintf(stderr, "tavermund-sim: %s\n", error.c_str());
            return 1;
        }
    }
    m_signals.install();
    if (!appear())
        return 1;
    if (m_options.hangupAfter)
        m_hangupAt = Clock::now() + fromSeconds(*m_options.hangupAfter);
    m_cyclesLeft = m_options.cycles;

    int status = 0;
    while (!StopSignals::stopRequested()) {
        const TimePoint now = Clock::now();
        if (!runTimers(now)) {
            status = 1;
            break;
        }
        if (m_pty.isValid())
            serve(now);
        else
            sleepUntil(nextTimer());
    }
    m_log.write("exit");
    m_link.removeIfPointsAt(m_linkedTarget);
    return status;
}

// A fresh pty with the link pointing at it: start-up, or a re-plugged adapter.
bool SimDevice::appear()
{
    std::string error = m_pty.create();
    if (error.empty())
        error = m_link.pointAt(m_pty.slavePath());
    if (!error.empty()) {
        std::fprintf(stderr, "tavermund-sim: %s\n", error.c_str());
        m_log.write("error", error);
        return false;
    }
    m_linkedTarget = m_pty.slavePath();
    m_portOpen = false;
    m_log.write("ready", m_pty.slavePath() + " " + m_link.path());
    std::printf("READY %s %s\n", m_pty.slavePath().c_str(), m_link.path().c_str());
    std::fflush(stdout);
    return true;
}

void SimDevice::hangUp(TimePoint now)
{
    dropOutput();
    m_pty.close();
    m_portOpen = false;
    m_log.write("hangup", m_linkedTarget);
    if (m_options.reappearAfter && m_cyclesLeft > 0)
        m_reappearAt = now + fromSeconds(*m_options.reappearAfter);
}

bool SimDevice::runTimers(TimePoint now)
{
    if (m_hangupAt && now >= *m_hangupAt) {
        m_hangupAt.reset();
        hangUp(now);
    }
    if (m_reappearAt && now >= *m_reappearAt) {
        m_reappearAt.reset();
        if (!appear())
            return false;
        m_log.write("reappear", m_pty.slavePath());
        if (--m_cyclesLeft > 0)
            m_hangupAt = now + fromSeconds(*m_options.hangupAfter);
    }
    return true;
}

std::optional<SimDevice::TimePoint> SimDevice::nextTimer() const
{
    if (m_hangupAt && m_reappearAt)
        return std::min(*m_hangupAt, *m_reappearAt);
    return m_hangupAt ? m_hangupAt : m_reappearAt;
}

void SimDevice::serve(TimePoint now)
{
    if (!m_portOpen) {
        const timespec immediately {0, 0};
        const int revents = m_pty.poll(POLLIN, &immediately, m_signals.waitMask());
        if (revents < 0)
            return;
        if (revents & POLLHUP) {
            // Bytes from a session too short for us to notice still count,
            // but their answers have nobody left to read them.
            if (revents & POLLIN) {
                readInput();
                dropOutput();
            }
            const TimePoint wake = now + kClosedPollInterval;
            const auto timer = nextTimer();
            sleepUntil(timer ? std::min(*timer, wake) : wake);
            return;
        }
        portOpened(now);
    }

    short events = POLLIN;
    std::optional<TimePoint> deadline = nextTimer();
    if (m_output.hasDue(now)) {
        events |= POLLOUT;
    } else if (const auto due = m_output.nextDue()) {
        deadline = deadline ? std::min(*deadline, *due) : *due;
    }
    timespec timeout {};
    if (deadline)
        timeout = timeoutUntil(*deadline, now);
    const int revents = m_pty.poll(events, deadline ? &timeout : nullptr, m_signals.waitMask());
    if (revents < 0)
        return;

    bool hungUp = (revents & POLLHUP) != 0;
    if (revents & POLLIN)
        hungUp = !readInput() || hungUp;
    if (!hungUp && m_output.hasDue(Clock::now()))
        hungUp = !writeOutput(Clock::now());
    if (hungUp)
        portClosed();
}

void SimDevice::portOpened(TimePoint now)
{
    m_portOpen = true;
    m_log.write("open");
    if (m_options.deafOnOpenMs > 0) {
        // A board that resets on open loses whatever it had half-received.
        m_deafUntil = now + std::chrono::milliseconds(m_options.deafOnOpenMs);
        m_protocol.discardPartialLine();
    }
    if (m_options.longLine > 0) {
        m_output.pushRepeated('x', m_options.longLine);
        m_output.pushText("\r");
        m_log.write("long-line", std::to_string(m_options.longLine));
    }
    if (m_options.floodBytes > 0) {
        m_output.pushRandom(m_options.floodBytes);
        m_log.write("flood", std::to_string(m_options.floodBytes));
    }
}

void SimDevice::portClosed()
{
    m_portOpen = false;
    dropOutput();
    // Whatever the tool left unread would otherwise greet the next opener.
    m_pty.discardUnreadOutput();
    m_log.write("close");
}

void SimDevice::dropOutput()
{
    if (const std::size_t dropped = m_output.clear())
        m_log.write("drop", std::to_string(dropped));
}

// Returns false once the port turns out to be closed.
bool SimDevice::readInput()
{
    char buffer[4096];
    std::size_t total = 0;
    while (total < kMaxReadPerRound) {
        const PtyEndpoint::Io io = m_pty.read(buffer, sizeof buffer);
        if (io.hungUp)
            return false;
        if (io.bytes == 0)
            break;
        total += static_cast<std::size_t>(io.bytes);
        handleInput(buffer, static_cast<std::size_t>(io.bytes), Clock::now());
    }
    return true;
}

void SimDevice::handleInput(const char *data, std::size_t size, TimePoint now)
{
    if (m_portOpen && now < m_deafUntil) {
        m_log.write("deaf", EventLog::printable({data, size}));
        return;
    }
    const auto due = now + std::chrono::milliseconds(m_options.lateMs);
    for (const DeviceProtocol::Exchange &exchange : m_protocol.feed({data, size})) {
        m_log.write(exchange.truncated ? "rx-truncated" : "rx", EventLog::printable(exchange.line));
        if (exchange.reply)
            m_output.pushReply(*exchange.reply, m_options.eol, due);
    }
}

// Returns false once the port turns out to be closed.
bool SimDevice::writeOutput(TimePoint now)
{
    const auto result = m_output.writeDue(now, [this](const char *data, std::size_t size) {
        const PtyEndpoint::Io io = m_pty.write(data, size);
        return io.hungUp ? -1L : io.bytes;
    });
    return result != OutputQueue::Result::Failed;
}

void SimDevice::sleepUntil(std::optional<TimePoint> until) const
{
    timespec timeout {};
    if (until)
        timeout = timeoutUntil(*until, Clock::now());
    ::ppoll(nullptr, 0, until ? &timeout : nullptr, m_signals.waitMask());
}

timespec SimDevice::timeoutUntil(TimePoint until, TimePoint now)
{
    using namespace std::chrono;
    // Round up: waking a hair early would only cost another round trip.
    const auto left = until > now ? ceil<microseconds>(until - now) : microseconds(0);
    const auto secs = duration_cast<seconds>(left);
    return timespec {static_cast<time_t>(secs.count()),
                     static_cast<long>(duration_cast<nanoseconds>(left - secs).count())};
}
