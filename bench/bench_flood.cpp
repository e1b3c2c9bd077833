// CPU per received line of the real binary, next to a plain terminal
// program on the same pseudo-terminal: one flood of `1SV1=NN` lines for
// each, interleaved, a few rounds. Only the receiving process is counted
// (its CPU clock, all threads); the writer, the kernel's share of the
// writing, the X server and what reads picocom's terminal are not.
//
// usage: bench_flood TAVERMUND [lines] [rounds]
// Runs picocom from the PATH; the environment decides the platform the
// tool shows its window on.

#include "PtyReaders.h"

#include <QDir>

#include <algorithm>

using namespace bench;

namespace {

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
    Terminal terminal;
    QTemporaryDir dir;

    std::vector<double> ours, theirs;
    for (int round = 1; round <= rounds; ++round) {
        const pid_t tool = startTavermund(pty, binary, dir);
        ours.push_back(flood(pty, tool, lines, count));
        stop(tool);
        const pid_t picocom = startPicocom(pty, terminal);
        theirs.push_back(flood(pty, picocom, lines, count));
        stop(picocom);
        std::printf("lines_round_%d_us_per_line %.3f %.3f\n", round, ours.back(), theirs.back());
        std::fflush(stdout);
    }
    // min / median / max.
    std::sort(ours.begin(), ours.end());
    std::sort(theirs.begin(), theirs.end());
    std::printf("lines_count %d\n", count);
    std::printf("lines_tavermund_rounds %s\n", bench::rounds(ours, 3).constData());
    std::printf("lines_picocom_rounds %s\n", bench::rounds(theirs, 3).constData());
    std::printf("lines_ratio_median %.2f\n", ours[ours.size() / 2] / theirs[theirs.size() / 2]);
    return 0;
}
