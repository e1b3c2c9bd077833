#include "BenchPty.h"

#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

BenchPty::BenchPty()
{
    int slave = -1;
    char name[256] = {};
    if (::openpty(&m_master, &slave, name, nullptr, nullptr) != 0)
        qFatal("openpty failed");
    termios tio{};
    ::tcgetattr(slave, &tio);
    ::cfmakeraw(&tio);
    ::tcsetattr(slave, TCSANOW, &tio);
    ::close(slave);
    m_slavePath = QString::fromLocal8Bit(name);
}

BenchPty::~BenchPty()
{
    ::close(m_master);
}

bool BenchPty::writeAll(const char *data, size_t size) const
{
    size_t done = 0;
    while (done < size) {
        const ssize_t n = ::write(m_master, data + done, size - done);
        if (n > 0)
            done += size_t(n);
        else if (n < 0 && errno != EINTR && errno != EAGAIN)
            return false;
    }
    return true;
}

void BenchPty::drain() const
{
    char buffer[4096];
    pollfd p{m_master, POLLIN, 0};
    while (::poll(&p, 1, 0) > 0 && (p.revents & POLLIN) && ::read(m_master, buffer, sizeof buffer) > 0) {
    }
}
