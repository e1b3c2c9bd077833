#pragma once

#include <csignal>
#include <cstddef>
#include <ctime>
#include <string>

// The master side of a pseudo-terminal; the slave side is the "serial port"
// the tool opens. We drop our own slave descriptor right after setup so the
// master reports POLLHUP exactly while nobody has the port open.
class PtyEndpoint
{
public:
    PtyEndpoint() = default;
    ~PtyEndpoint();
    PtyEndpoint(const PtyEndpoint &) = delete;
    PtyEndpoint &operator=(const PtyEndpoint &) = delete;

    // Returns an error text; empty on success.
    std::string create();
    // Closing the master is what a pulled USB adapter looks like to the tool.
    void close();

    bool isValid() const { return m_master >= 0; }
    int descriptor() const { return m_master; }
    const std::string &slavePath() const { return m_slavePath; }

    // Polls the master; returns revents, 0 on timeout, -1 when interrupted.
    // A null timeout waits indefinitely. mask is the signal mask while waiting.
    int poll(short events, const timespec *timeout, const sigset_t *mask) const;

    struct Io
    {
        long bytes = 0;      // > 0: transferred
        bool hungUp = false; // EIO: nobody has the port open
    };
    // Non-blocking; bytes == 0 and !hungUp means "try later". Note that a
    // write succeeds even while nobody has the port open: the bytes wait for
    // the next opener, so only write after poll() has shown no POLLHUP.
    Io read(char *buffer, std::size_t size) const;
    Io write(const char *data, std::size_t size) const;
    // Throws away what we wrote but the port has not read yet. Flushing the
    // master alone leaves whatever already reached the slave's line
    // discipline, and the next opener would read it, so we briefly open the
    // slave and flush its input too. Only call while nobody has it open.
    void discardUnreadOutput() const;

private:
    int m_master = -1;
    std::string m_slavePath;
};
