// CPU at a steady rate, the real binary next to picocom on the same
// pseudo-terminal, interleaved, a few rounds. The board talks as a
// USB-serial adapter hands its data over: 20 lines every millisecond
// (20,000 lines a second), and for comparison 199 lines every 9.95 ms, the
// value running on from line to line so that every write changes what its
// last line shows; and 20 lines every millisecond that all show the same
// value, which leaves nothing to paint. Counted, as % of one core over the time the lines were
// delivered: the reader's CPU (all its threads) and the X server's; from
// the first write until the reader has taken everything and stands still.
//
// usage: bench_steady TAVERMUND [seconds] [rounds]
// XSERVER_PID names the X server the tool shows its window on; picocom
// writes to a terminal that a thread of ours reads (see PtyReaders.h).

#include "PtyReaders.h"

#include <QDir>

#include <algorithm>

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
    std::vector<double> reader, xserver;
};

int nextValue = 0;

// One run of `rate` for `length`: the CPU of `reader` and `xserver`.
void steady(const Pty &pty, pid_t reader, pid_t xserver, const Rate &rate, std::chrono::seconds length, Load &load)
{
    settle(pty, reader);
    const int writes = int(length / rate.period);
    const double reader0 = cpuSeconds(reader), xserver0 = cpuSeconds(xserver);
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
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: bench_steady TAVERMUND [seconds] [rounds]\n");
        return 2;
    }
    const QString binary = QDir::current().absoluteFilePath(QString::fromLocal8Bit(argv[1]));
    const std::chrono::seconds length(argc > 2 ? std::atoi(argv[2]) : 10);
    const int rounds = argc > 3 ? std::atoi(argv[3]) : 3;
    const char *xserverPid = std::getenv("XSERVER_PID");
    const pid_t xserver = xserverPid ? pid_t(std::atoi(xserverPid)) : 0;

    constexpr int Rates = 3;
    const Rate rates[Rates] = {{"steady", 20, 1000us}, {"bigger", 199, 9950us}, {"unchanged", 20, 1000us, false}};
    Load tool[Rates], picocomLoad[Rates];
    Pty pty;
    Terminal terminal;
    QTemporaryDir dir;
    for (int round = 1; round <= rounds; ++round) {
        const pid_t ours = startTavermund(pty, binary, dir);
        for (int r = 0; r < Rates; ++r)
            steady(pty, ours, xserver, rates[r], length, tool[r]);
        stop(ours);
        const pid_t theirs = startPicocom(pty, terminal);
        for (int r = 0; r < Rates; ++r)
            steady(pty, theirs, xserver, rates[r], length, picocomLoad[r]);
        stop(theirs);
        std::fprintf(stderr, "steady round %d done\n", round);
    }
    // Sorted: min / median / max.
    for (int r = 0; r < Rates; ++r)
        for (std::vector<double> *v : {&tool[r].reader, &tool[r].xserver, &picocomLoad[r].reader, &picocomLoad[r].xserver})
            std::sort(v->begin(), v->end());
    for (int r = 0; r < Rates; ++r) {
        const char *name = rates[r].name;
        std::printf("%s_tavermund_percent %s\n", name, bench::rounds(tool[r].reader, 1).constData());
        std::printf("%s_tavermund_xserver_percent %s\n", name, bench::rounds(tool[r].xserver, 1).constData());
        std::printf("%s_picocom_percent %s\n", name, bench::rounds(picocomLoad[r].reader, 1).constData());
        std::printf("%s_picocom_xserver_percent %s\n", name, bench::rounds(picocomLoad[r].xserver, 1).constData());
    }
    return 0;
}
