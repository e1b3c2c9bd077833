// CPU spent by the 50 ms pacing pause, against its wall time, next to a
// pause that spins on processEvents() the way a naive loop would.

#include "toolkit/EventPump.h"

#include <QCoreApplication>
#include <QEventLoop>

#include <chrono>
#include <cstdio>
#include <ctime>

using namespace std::chrono_literals;

namespace {

double cpuSeconds()
{
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) / 1e9;
}

void spinPause(std::chrono::milliseconds pause)
{
    const auto end = EventPump::Clock::now() + pause;
    do
        QCoreApplication::processEvents(QEventLoop::AllEvents);
    while (EventPump::Clock::now() <= end);
}

template<typename Pause>
double measure(const char *name, Pause pause, int count)
{
    const double cpu0 = cpuSeconds();
    const auto wall0 = EventPump::Clock::now();
    for (int i = 0; i < count; ++i)
        pause();
    const double cpu = cpuSeconds() - cpu0;
    const double wall = std::chrono::duration<double>(EventPump::Clock::now() - wall0).count();
    std::printf("%s_pauses %d\n%s_wall_s %.3f\n%s_cpu_ms_per_pause %.4f\n", name, count, name, wall, name,
                cpu * 1000 / count);
    return cpu;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const double pacing = measure("pacing", [] { EventPump::pauseFor(50ms); }, 100);
    const double spin = measure("spin", [] { spinPause(50ms); }, 100);
    std::printf("spin_to_pacing_cpu_ratio %.0f\n", spin / pacing);
    return 0;
}
