#pragma once

#include <QEventLoop>
#include <QTimer>

#include <functional>

// Runs the event loop at full speed until `done` holds or the time is up.
// QTest::qWaitFor sleeps 10 ms between rounds, which throttles a window
// that has a flood of input to read; this one only looks every 20 ms.
inline bool runEventsUntil(const std::function<bool()> &done, int timeoutMs)
{
    if (done())
        return true;
    QEventLoop loop;
    QTimer check;
    QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
    QObject::connect(&check, &QTimer::timeout, &loop, [&] {
        if (done())
            loop.quit();
    });
    check.start(20);
    loop.exec();
    return done();
}
