#pragma once

#include "DeviceProtocol.h"
#include "EventLog.h"
#include "OutputQueue.h"
#include "PortLink.h"
#include "PtyEndpoint.h"
#include "SimOptions.h"
#include "StopSignals.h"

#include <chrono>
#include <ctime>
#include <optional>
#include <string>

// The simulator's event loop: serves the protocol on a pty, notices the tool
// opening and closing the port, and plays the misbehaviours the options ask
// for (late replies, floods, hang-ups, a board that resets on open).
class SimDevice
{
public:
    explicit SimDevice(const SimOptions &options);

    // Runs until SIGINT/SIGTERM/SIGHUP; returns the exit status.
    int run();

private:
    using Clock = std::chrono::steady_clock;
    using TimePoint = Clock::time_point;

    bool appear();
    void hangUp(TimePoint now);
    bool runTimers(TimePoint now);
    std::optional<TimePoint> nextTimer() const;

    void serve(TimePoint now);
    void portOpened(TimePoint now);
    void portClosed();
    void dropOutput();
    bool readInput();
    bool writeOutput(TimePoint now);
    void handleInput(const char *data, std::size_t size, TimePoint now);

    void sleepUntil(std::optional<TimePoint> until) const;
    static timespec timeoutUntil(TimePoint until, TimePoint now);

    SimOptions m_options;
    DeviceProtocol m_protocol;
    OutputQueue m_output;
    PtyEndpoint m_pty;
    PortLink m_link;
    EventLog m_log;
    StopSignals m_signals;

    std::string m_linkedTarget;
    bool m_portOpen = false;
    TimePoint m_deafUntil {};
    std::optional<TimePoint> m_hangupAt;
    std::optional<TimePoint> m_reappearAt;
    unsigned m_cyclesLeft = 0;
};
