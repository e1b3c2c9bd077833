#include "StopSignals.h"

namespace {

volatile std::sig_atomic_t g_stopRequested = 0;

void requestStop(int)
{
    g_stopRequested = 1;
}

constexpr int kStopSignals[] = {SIGINT, SIGTERM, SIGHUP};

} // namespace

void StopSignals::install()
{
    struct sigaction action {};
    action.sa_handler = requestStop;
    sigemptyset(&action.sa_mask);
    sigset_t blocked;
    sigemptyset(&blocked);
    for (const int sig : kStopSignals) {
        sigaction(sig, &action, nullptr);
        sigaddset(&blocked, sig);
    }
    // A test harness that stops reading our stdout must not kill us.
    std::signal(SIGPIPE, SIG_IGN);
    sigprocmask(SIG_BLOCK, &blocked, &m_waitMask);
    for (const int sig : kStopSignals)
        sigdelset(&m_waitMask, sig);
}

bool StopSignals::stopRequested()
{
    return g_stopRequested != 0;
}
