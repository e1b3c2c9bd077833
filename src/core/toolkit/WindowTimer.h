#pragma once

#include <QObject>
#include <QTimer>

#include <chrono>

// A window timer with an Enabled switch.
//
// Enabling a timer that already runs leaves its countdown alone; only a
// stopped timer starts a fresh interval. Ticks use precise timers, so two
// timers that fall due at the same moment tick in the order of their
// deadlines: the search attempt that is due every 2.5 s runs before a
// reply time-out that was started a moment after it.
class WindowTimer : public QObject
{
    Q_OBJECT

public:
    WindowTimer(const QString &name, std::chrono::milliseconds interval, QObject *parent = nullptr);

    bool Enabled() const { return m_timer.isActive(); }
    void setEnabled(bool enabled);
    std::chrono::milliseconds Interval() const { return m_timer.intervalAsDuration(); }

signals:
    void Timer();

private:
    QTimer m_timer;
};
