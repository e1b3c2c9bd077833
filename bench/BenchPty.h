#pragma once

#include <QString>

// A pseudo-terminal whose master side a benchmark writes from its own
// thread, so that the window's event loop runs undisturbed on the main one.
class BenchPty
{
public:
    BenchPty();
    ~BenchPty();
    BenchPty(const BenchPty &) = delete;
    BenchPty &operator=(const BenchPty &) = delete;

    QString slavePath() const { return m_slavePath; }
    int master() const { return m_master; }
    // Blocking write of all bytes (the master is in blocking mode).
    bool writeAll(const char *data, size_t size) const;
    // Reads and drops whatever the tool sent, without blocking.
    void drain() const;

private:
    int m_master = -1;
    QString m_slavePath;
};
