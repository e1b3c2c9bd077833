#include "PtyEndpoint.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

PtyEndpoint::~PtyEndpoint()
{
    close();
}

std::string PtyEndpoint::create()
{
    close();
    int master = -1;
    int slave = -1;
    if (::openpty(&master, &slave, nullptr, nullptr, nullptr) != 0)
        return std::string("openpty failed: ") + std::strerror(errno);

    char name[128];
    termios tio {};
    std::string error;
    if (::ptsname_r(master, name, sizeof name) != 0) {
        error = std::string("ptsname failed: ") + std::strerror(errno);
    } else if (::tcgetattr(slave, &tio) != 0) {
        error = std::string("tcgetattr failed: ") + std::strerror(errno);
    } else {
        // Raw on the slave: no echo, no CR/NL translation, no line editing.
        // The settings live in the pty and outlast the tool's open and close.
        ::cfmakeraw(&tio);
        if (::tcsetattr(slave, TCSANOW, &tio) != 0
            || ::fcntl(master, F_SETFL, ::fcntl(master, F_GETFL) | O_NONBLOCK) != 0
            || ::fcntl(master, F_SETFD, FD_CLOEXEC) != 0)
            error = std::string("cannot set up the pty: ") + std::strerror(errno);
    }

    ::close(slave);
    if (!error.empty()) {
        ::close(master);
        return error;
    }
    m_master = master;
    m_slavePath = name;
    return {};
}

void PtyEndpoint::close()
{
    if (m_master >= 0)
        ::close(m_master);
    m_master = -1;
}

int PtyEndpoint::poll(short events, const timespec *timeout, const sigset_t *mask) const
{
    pollfd fd {m_master, events, 0};
    const int n = ::ppoll(&fd, 1, timeout, mask);
    if (n < 0)
        return -1;
    return n == 0 ? 0 : fd.revents;
}

PtyEndpoint::Io PtyEndpoint::read(char *buffer, std::size_t size) const
{
    for (;;) {
        const ssize_t n = ::read(m_master, buffer, size);
        if (n > 0)
            return {static_cast<long>(n), false};
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
            return {0, false};
        // EIO (or an unexpected 0): the slave has no opener any more.
        return {0, true};
    }
}

PtyEndpoint::Io PtyEndpoint::write(const char *data, std::size_t size) const
{
    for (;;) {
        const ssize_t n = ::write(m_master, data, size);
        if (n >= 0)
            return {static_cast<long>(n), false};
        if (errno == EINTR)
            continue;
        if (errno == EAGAIN || errno == EWOULDBLOCK)
            return {0, false};
        return {0, true};
    }
}

void PtyEndpoint::discardUnreadOutput() const
{
    if (m_master < 0)
        return;
    ::tcflush(m_master, TCOFLUSH);
    const int slave = ::open(m_slavePath.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (slave < 0)
        return;
    ::tcflush(slave, TCIFLUSH);
    ::close(slave);
}
