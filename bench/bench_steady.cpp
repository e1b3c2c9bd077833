// CPU at a steady rate, the real binary next to picocom on the same
// pseudo-terminal, interleaved, a few rounds.
//
// "steady": the board talks as a USB-serial adapter hands its data over: 20
// lines every millisecond (20,000 lines a second), and for comparison 199
// lines every 9.95 ms, the value running on from line to line so that every
// write changes what its last line shows; and 20 lines every millisecond
// that all show the same value, which leaves nothing to paint.
// "realistic": a board at 115,200 baud (both programs set to it) sends one
// short reply line every 2 ms, its value running on.
//
// Counted, as % of one core over the time the lines were delivered: the
// reader's CPU (all its threads) and the X server's; from the first write
// until the reader has taken everything and stands still. Also the reader's
// wake-ups a second: the voluntary context switches of its main thread.
//
// usage: bench_steady TAVERMUND [steady|realistic] [seconds] [rounds]
// XSERVER_PID names the X server the tool shows its window on; picocom
// writes to a terminal that a thread of ours reads (see PtyReaders.h).

#include "PtyReaders.h"

#include <QDir>

#include <algorithm>
#include <cstring>

using namespace bench;

namespace {

struct Rate
{
    const char *name;
    int linesPerWrite;
    std::chrono::microseconds period;
    bool runsOn = true;
};

struct Load
{
    std::vector<double> reader, xserver, wakeups;
};

int nextValue = 0;

// One run of `rate` for `length`: the CPU of `reader` and `xserver`, and
// how often `reader` woke.
void steady(const Pty &pty, pid_t reader, pid_t xserver, const Rate &rate, std::chrono::seconds length, Load &load)
{
    settle(pty, reader);
    const int writes = int(length / rate.period);
    const double reader0 = cpuSeconds(reader), xserver0 = cpuSeconds(xserver);
    const long long switches0 = voluntarySwitches(reader);
    const auto start = Clock::now();
    QByteArray chunk;
    for (int w = 0; w < writes; ++w) {
        chunk.clear();
        for (int i = 0; i < rate.linesPerWrite; ++i, nextValue = (nextValue + int(rate.runsOn)) % 1000)
            chunk += "1SV1=" + QByteArray::number(nextValue) + '\r';
        std::this_thread::sleep_until(start + w * rate.period);
        for (qsizetype at = 0; at < chunk.size();) {
            const ssize_t n = ::write(pty.master, chunk.constData() + at, size_t(chunk.size() - at));
            at += n > 0 ? n : 0;
        }
    }
    const double delivered = std::chrono::duration<double>(Clock::now() - start + rate.period).count();
    settle(pty, reader);
    load.reader.push_back(100 * (cpuSeconds(reader) - reader0) / delivered);
    load.xserver.push_back(100 * (cpuSeconds(xserver) - xserver0) / delivered);
    load.wakeups.push_back(double(voluntarySwitches(reader) - switches0) / delivered);
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: bench_steady TAVERMUND [steady|realistic] [seconds] [rounds]\n");
        return 2;
    }
    const QString binary = QDir::current().absoluteFilePath(QString::fromLocal8Bit(argv[1]));
    const bool realistic = argc > 2 && std::strcmp(argv[2], "realistic") == 0;
    const std::chrono::seconds length(argc > 3 ? std::atoi(argv[3]) : realistic ? 60 : 10);
    const int rounds = argc > 4 ? std::atoi(argv[4]) : 3;
    const char *xserverPid = std::getenv("XSERVER_PID");
    const pid_t xserver = xserverPid ? pid_t(std::atoi(xserverPid)) : 0;

    const std::vector<Rate> rates = realistic
        ? std::vector<Rate>{{"realistic", 1, 2000us}}
        : std::vector<Rate>{{"steady", 20, 1000us}, {"bigger", 199, 9950us}, {"unchanged", 20, 1000us, false}};
    const QByteArray baud = realistic ? "115200" : "";
    std::vector<Load> tool(rates.size()), picocomLoad(rates.size());
    Pty pty;
    Terminal terminal;
    QTemporaryDir dir;
    for (int round = 1; round <= rounds; ++round) {
        const pid_t ours = startTavermund(pty, binary, dir, baud);
        for (size_t r = 0; r < rates.size(); ++r)
            steady(pty, ours, xserver, rates[r], length, tool[r]);
        stop(ours);
        const pid_t theirs = startPicocom(pty, terminal, baud.isEmpty() ? "9600" : baud);
        for (size_t r = 0; r < rates.size(); ++r)
            steady(pty, theirs, xserver, rates[r], length, picocomLoad[r]);
        stop(theirs);
        std::fprintf(stderr, "%s round %d done\n", realistic ? "realistic" : "steady", round);
    }
    // min / median / max, then the median alone.
    const auto print = [](const char *name, const char *what, std::vector<double> v, int decimals) {
        std::sort(v.begin(), v.end());
        std::printf("%s_%s %s\n", name, what, bench::rounds(v, decimals).constData());
        std::printf("%s_%s_median %.*f\n", name, what, decimals, v[v.size() / 2]);
    };
    for (size_t r = 0; r < rates.size(); ++r) {
        const char *name = rates[r].name;
        print(name, "tavermund_percent", tool[r].reader, 1);
        print(name, "tavermund_xserver_percent", tool[r].xserver, 1);
        print(name, "tavermund_wakeups", tool[r].wakeups, 0);
        print(name, "picocom_percent", picocomLoad[r].reader, 1);
        print(name, "picocom_xserver_percent", picocomLoad[r].xserver, 1);
        print(name, "picocom_wakeups", picocomLoad[r].wakeups, 0);
    }
    return 0;
}
