// CPU per received line of the real binary, next to a plain terminal
// program on the same pseudo-terminal: one flood of `1SV1=NN` lines for
// each, interleaved, a few rounds. Only the receiving process is counted
// (its CPU clock, all threads); the writer, the kernel's share of the
// writing and the X server are not.
//
// usage: bench_flood TAVERMUND [lines] [rounds]
// Runs picocom from the PATH; the environment decides the platform the
// tool shows its window on.

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
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

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

namespace {

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

double cpuSeconds(pid_t pid)
{
    clockid_t clock;
    timespec ts{};
    if (::clock_getcpuclockid(pid, &clock) != 0 || ::clock_gettime(clock, &ts) != 0)
        return -1;
    return double(ts.tv_sec) + double(ts.tv_nsec) / 1e9;
}

pid_t spawn(const std::vector<QByteArray> &argv, int stdinFd)
{
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (stdinFd >= 0)
        posix_spawn_file_actions_adddup2(&actions, stdinFd, 0);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
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

void stop(pid_t pid)
{
    if (pid <= 0)
        return;
    ::kill(pid, SIGTERM);
    ::waitpid(pid, nullptr, 0);
}

// Waits until `reader` has taken every byte and its CPU clock stands still.
void settle(const Pty &pty, pid_t reader)
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

// CPU microseconds per line that `reader` spends on the flood.
double flood(const Pty &pty, pid_t reader, const QByteArray &lines, int count)
{
    settle(pty, reader);
    const double cpu0 = cpuSeconds(reader);
    constexpr qsizetype Chunk = 64 * 1024;
    for (qsizetype at = 0; at < lines.size();) {
        const ssize_t n = ::write(pty.master, lines.constData() + at, size_t(std::min(Chunk, lines.size() - at)));
        if (n > 0)
            at += n;
    }
    settle(pty, reader);
    return (cpuSeconds(reader) - cpu0) * 1e6 / count;
}

// The tool in a folder of its own, com1 pointing to the pty, its device
// found and read back, so that it sits as it does in use.
pid_t startTavermund(const Pty &pty, const QString &binary, const QTemporaryDir &dir)
{
    const QString exe = dir.filePath(QStringLiteral("Tavermund"));
    QFile::remove(exe);
    QFile::copy(binary, exe);
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

pid_t startPicocom(const Pty &pty, int terminal)
{
    pty.makeRaw();
    const pid_t pid = spawn({"picocom", "-b", "9600", "-q", "--nolock", pty.path}, terminal);
    // Running once it takes what arrives.
    std::this_thread::sleep_for(300ms);
    ::write(pty.master, "\r", 1);
    const auto giveUp = Clock::now() + 10s;
    while (pty.queued() > 0 && Clock::now() < giveUp)
        std::this_thread::sleep_for(1ms);
    return pid;
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: bench_flood TAVERMUND [lines] [rounds]\n");
        return 2;
    }
    const QString binary = QDir::current().absoluteFilePath(QString::fromLocal8Bit(argv[1]));
    const int count = argc > 2 ? std::atoi(argv[2]) : 1'000'000;
    const int rounds = argc > 3 ? std::atoi(argv[3]) : 3;

    QByteArray lines;
    lines.reserve(qsizetype(count) * 8);
    for (int i = 0; i < count; ++i)
        lines += "1SV1=" + QByteArray::number(10 + i % 90) + '\r';

    Pty pty;
    int terminalMaster = -1, terminal = -1; // picocom wants a terminal on stdin
    ::openpty(&terminalMaster, &terminal, nullptr, nullptr, nullptr);
    QTemporaryDir dir;

    std::vector<double> ours, theirs;
    QByteArray oursText, theirsText;
    for (int round = 1; round <= rounds; ++round) {
        const pid_t tool = startTavermund(pty, binary, dir);
        ours.push_back(flood(pty, tool, lines, count));
        stop(tool);
        const pid_t picocom = startPicocom(pty, terminal);
        theirs.push_back(flood(pty, picocom, lines, count));
        stop(picocom);
        std::printf("lines_round_%d_us_per_line %.3f %.3f\n", round, ours.back(), theirs.back());
        std::fflush(stdout);
        const char *separator = round > 1 ? " / " : "";
        oursText += separator + QByteArray::number(ours.back(), 'f', 3);
        theirsText += separator + QByteArray::number(theirs.back(), 'f', 3);
    }
    std::sort(ours.begin(), ours.end());
    std::sort(theirs.begin(), theirs.end());
    const double oMid = ours[ours.size() / 2], tMid = theirs[theirs.size() / 2];
    std::printf("lines_count %d\n", count);
    std::printf("lines_tavermund_rounds %s\n", oursText.replace(' ', '_').constData());
    std::printf("lines_picocom_rounds %s\n", theirsText.replace(' ', '_').constData());
    std::printf("lines_tavermund_us_per_line %.3f-%.3f\n", ours.front(), ours.back());
    std::printf("lines_picocom_us_per_line %.3f-%.3f\n", theirs.front(), theirs.back());
    std::printf("lines_ratio_median %.2f\n", oMid / tMid);
    std::printf("lines_core_percent_at_20k %.2f\n", oMid * 20000 / 1e4);
    return 0;
}
