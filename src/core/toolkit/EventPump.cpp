#include "toolkit/EventPump.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

void EventPump::runPending()
{
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void EventPump::pauseFor(std::chrono::nanoseconds pause)
{
    using namespace std::chrono;
    const Clock::time_point end = Clock::now() + pause;
    runPending();

    QEventLoop loop;
    QTimer wake;
    wake.setSingleShot(true);
    wake.setTimerType(Qt::PreciseTimer);
    QObject::connect(&wake, &QTimer::timeout, &loop, &QEventLoop::quit);
    for (Clock::time_point now = Clock::now(); now <= end; now = Clock::now()) {
        // Round up, and one more millisecond: the pause ends only once the
        // clock is strictly past its end.
        const auto left = ceil<milliseconds>(end - now) + 1ms;
        wake.start(left);
        loop.exec();
    }
}
