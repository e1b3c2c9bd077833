#pragma once

#include <csignal>

// SIGINT, SIGTERM and SIGHUP ask the simulator to stop. They stay blocked
// except while we wait in ppoll() with waitMask(), so a signal arriving just
// before a wait still ends that wait instead of being noticed a poll later.
class StopSignals
{
public:
    StopSignals() = default;
    StopSignals(const StopSignals &) = delete;
    StopSignals &operator=(const StopSignals &) = delete;

    void install();
    static bool stopRequested();
    const sigset_t *waitMask() const { return &m_waitMask; }

private:
    sigset_t m_waitMask {};
};
