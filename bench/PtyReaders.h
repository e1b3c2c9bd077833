#pragma once

// What the real-binary benchmarks share: one pseudo-terminal that stands
// for the board, the CPU clock of another process, and the two programs
// that read the terminal, started as they run in use: the tool with its
// device found and read back, and picocom on a terminal of its own.
//
// picocom's job is to display what arrives, so its output goes to a
// terminal as well, whose other side a thread of ours reads and drops (a
// terminal emulator's place); writing to a terminal costs it what a real
// session costs, which /dev/null would not. Neither the reading thread
// nor the X server is counted as the reader's CPU.

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <spawn.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

extern char **environ;

namespace bench {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

struct Pty
{
    int master = -1;
    int slave = -1; // kept open: the reader's queue is measured on it
    QByteArray path;

    Pty()
    {
        char name[256] = {};
        if (::openpty(&master, &slave, name, nullptr, nullptr) != 0)
            std::exit(2);
        path = name;
    }
    void makeRaw() const
    {
        termios tio{};
        ::tcgetattr(slave, &tio);
        ::cfmakeraw(&tio);
        ::tcsetattr(slave, TCSANOW, &tio);
    }
    // Bytes written to the master that no reader has taken yet.
    int queued() const
    {
        int n = 0;
        ::ioctl(slave, FIONREAD, &n);
        return n;
    }
    // What the reader sent back, read without blocking for up to `wait`.
    QByteArray received(std::chrono::milliseconds wait) const
    {
        QByteArray out;
        pollfd p{master, POLLIN, 0};
        char buffer[4096];
        while (::poll(&p, 1, int(wait.count())) > 0 && (p.revents & POLLIN)) {
            const ssize_t n = ::read(master, buffer, sizeof buffer);
            if (n <= 0)
                break;
            out.append(buffer, n);
            wait = 0ms;
        }
        return out;
    }
};

// The terminal picocom runs on: its side is picocom's stdin and stdout;
// ours is read and dropped as long as it exists.
struct Terminal
{
    Pty pty;
    std::atomic<bool> done{false};
    std::thread reader{[this] {
        char buffer[65536];
        while (!done) {
            pollfd p{pty.master, POLLIN, 0};
            if (::poll(&p, 1, 50) > 0 && (p.revents & POLLIN))
                ::read(pty.master, buffer, sizeof buffer);
        }
    }};
    ~Terminal()
    {
        done = true;
        reader.join();
    }
};

inline double cpuSeconds(pid_t pid)
{
    clockid_t clock;
    timespec ts{};
    if (pid <= 0 || ::clock_getcpuclockid(pid, &clock) != 0 || ::clock_gettime(clock, &ts) != 0)
        return 0;
    return double(ts.tv_sec) + double(ts.tv_nsec) / 1e9;
}

// The voluntary context switches of `pid`'s main thread: how often it went
// to sleep, which is how often something had to wake it.
inline long long voluntarySwitches(pid_t pid)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("voluntary_ctxt_switches:"))
            return line.mid(24).trimmed().toLongLong();
    }
    return 0;
}

// `terminal`: stdin and stdout of the new process; -1 for /dev/null.
inline pid_t spawn(const std::vector<QByteArray> &argv, int terminal)
{
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (terminal >= 0) {
        posix_spawn_file_actions_adddup2(&actions, terminal, 0);
        posix_spawn_file_actions_adddup2(&actions, terminal, 1);
    } else {
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    }
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    std::vector<char *> args;
    for (const QByteArray &a : argv)
        args.push_back(const_cast<char *>(a.constData()));
    args.push_back(nullptr);
    // A group of its own: picocom answers SIGTERM by signalling its whole
    // process group.
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP);
    posix_spawnattr_setpgroup(&attributes, 0);
    pid_t pid = -1;
    if (posix_spawnp(&pid, args[0], &actions, &attributes, args.data(), environ) != 0)
        pid = -1;
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    if (pid <= 0) {
        std::fprintf(stderr, "cannot start %s\n", args[0]);
        std::exit(1);
    }
    return pid;
}

inline void stop(pid_t pid)
{
    if (pid <= 0)
        return;
    ::kill(pid, SIGTERM);
    ::waitpid(pid, nullptr, 0);
}

// Waits until `reader` has taken every byte and its CPU clock stands still.
inline void settle(const Pty &pty, pid_t reader)
{
    while (pty.queued() > 0)
        std::this_thread::sleep_for(1ms);
    double last = cpuSeconds(reader);
    for (int still = 0; still < 3;) {
        std::this_thread::sleep_for(20ms);
        const double now = cpuSeconds(reader);
        still = now == last ? still + 1 : 0;
        last = now;
    }
}

// The tool in a folder of its own, com1 pointing to the pty, its device
// found and read back, so that it sits as it does in use; at `baud` (its
// settings file), or the default.
inline pid_t startTavermund(const Pty &pty, const QString &binary, const QTemporaryDir &dir,
                            const QByteArray &baud = QByteArray())
{
    const QString exe = dir.filePath(QStringLiteral("Tavermund"));
    QFile::remove(exe);
    QFile::copy(binary, exe);
    QFile settings(dir.filePath(QStringLiteral("Tavermund.ini")));
    settings.remove();
    if (!baud.isEmpty() && settings.open(QIODevice::WriteOnly))
        settings.write("1,\"" + baud + "\",\"1\",0,\"-\"\r\n\"PWM(%):\",\"Label2\",\"nc\",\"nc\"\r\n");
    settings.close();
    QFile::remove(dir.filePath(QStringLiteral("com1")));
    QFile::link(QString::fromLocal8Bit(pty.path), dir.filePath(QStringLiteral("com1")));
    pty.makeRaw();
    const pid_t pid = spawn({QFile::encodeName(exe)}, -1);
    QByteArray seen;
    const auto giveUp = Clock::now() + 20s;
    while (!seen.contains("BS?") && Clock::now() < giveUp)
        seen += pty.received(100ms);
    ::write(pty.master, "1BSok\r", 6);
    while (!seen.contains("1SV2\r") && Clock::now() < giveUp)
        seen += pty.received(100ms);
    if (!seen.contains("1SV2\r")) {
        std::fprintf(stderr, "the tool did not find the device\n");
        std::exit(1);
    }
    pty.received(300ms);
    return pid;
}

inline pid_t startPicocom(const Pty &pty, const Terminal &terminal, const QByteArray &baud = "9600")
{
    pty.makeRaw();
    const pid_t pid = spawn({"picocom", "-b", baud, "-q", "--nolock", pty.path}, terminal.pty.slave);
    // Running once it takes what arrives.
    std::this_thread::sleep_for(300ms);
    ::write(pty.master, "\r", 1);
    const auto giveUp = Clock::now() + 10s;
    while (pty.queued() > 0 && Clock::now() < giveUp)
        std::this_thread::sleep_for(1ms);
    return pid;
}

// "a / b / c" with `decimals`, the rounds in the order given.
inline QByteArray rounds(const std::vector<double> &values, int decimals)
{
    QByteArray text;
    for (const double v : values)
        text += (text.isEmpty() ? "" : " / ") + QByteArray::number(v, 'f', decimals);
    return text.replace(' ', '_');
}

} // namespace bench
