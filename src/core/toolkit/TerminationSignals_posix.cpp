#include "toolkit/TerminationSignals.h"

#include <QSocketNotifier>

#include <array>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace {

constexpr std::array<int, 3> Caught{SIGTERM, SIGINT, SIGHUP};

// Shared with the handler, which can reach nothing else.
volatile std::sig_atomic_t writeEnd = -1;
std::array<struct sigaction, Caught.size()> previous{};

void onSignal(int number)
{
    const int savedErrno = errno;
    const unsigned char byte = static_cast<unsigned char>(number);
    // A full pipe already holds signals enough to end the program.
    [[maybe_unused]] const ssize_t written = ::write(writeEnd, &byte, 1);
    errno = savedErrno;
}

} // namespace

struct TerminationSignals::Hook
{
    int pipe[2] = {-1, -1};
    QSocketNotifier *notifier = nullptr;
};

TerminationSignals::TerminationSignals(QObject *parent)
    : QObject(parent)
{
    auto hook = std::make_unique<Hook>();
    if (::pipe2(hook->pipe, O_CLOEXEC | O_NONBLOCK) != 0) {
        qWarning("TerminationSignals: no pipe (%s); the signals keep their default action", std::strerror(errno));
        return;
    }
    writeEnd = hook->pipe[1];
    hook->notifier = new QSocketNotifier(hook->pipe[0], QSocketNotifier::Read, this);
    connect(hook->notifier, &QSocketNotifier::activated, this, [this, readEnd = hook->pipe[0]] {
        unsigned char numbers[16];
        ssize_t n;
        while ((n = ::read(readEnd, numbers, sizeof numbers)) > 0) {
            for (ssize_t i = 0; i < n; ++i)
                emit received(numbers[i]);
        }
    });
    m_hook = std::move(hook);

    struct sigaction action{};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (std::size_t i = 0; i < Caught.size(); ++i)
        ::sigaction(Caught[i], &action, &previous[i]);
}

TerminationSignals::~TerminationSignals()
{
    if (!m_hook)
        return;
    for (std::size_t i = 0; i < Caught.size(); ++i)
        ::sigaction(Caught[i], &previous[i], nullptr);
    writeEnd = -1;
    delete m_hook->notifier;
    ::close(m_hook->pipe[0]);
    ::close(m_hook->pipe[1]);
}
