#pragma once

#include <QObject>
#include <QPointer>
#include <QSocketNotifier>
#include <QTimer>

#include <chrono>
#include <functional>

class QSerialPort;

// Receive moderation, as network cards do with their interrupts.
//
// A board that talks steadily through a USB-serial adapter hands over a few
// bytes every millisecond, and each handover wakes the event loop for one
// receive event of its own. When receive events keep finding data less than
// an interval after the port began listening (two in a row), the port's read
// notification is held back for that interval once the event is over: the
// next event takes what several handovers brought. A first byte after a
// quiet spell still raises its event at once, and so does the next: a reply
// that the system hands over in two pieces costs no interval that would
// wake the loop for nothing. A flood's event (a kilobyte or more) is not held
// either: its pieces are big already.
//
// Holding back only delays: the bytes wait in the system's queue, in order.
// The interval is bounded so that the line discipline's buffer cannot fill
// meanwhile at the fastest line the port accepts (see Bound).
class ReceiveModeration : public QObject
{
    Q_OBJECT

public:
    using Clock = std::chrono::steady_clock;

    // The line discipline's receive buffer (Linux N_TTY) holds 4,096
    // characters. At the fastest line the settings accept, 4,000,000 baud,
    // and the shortest character (start bit, five data bits, stop bit:
    // seven bits), it fills in 4,096 * 7 / 4,000,000 s = 7.168 ms.
    static constexpr long long KernelBufferCharacters = 4096;
    static constexpr long long FastestBaud = 4'000'000;
    static constexpr long long ShortestCharacterBits = 7;
    static constexpr std::chrono::microseconds Bound{KernelBufferCharacters * ShortestCharacterBits * 1'000'000
                                                     / FastestBaud};
    // About half the bound, which leaves the other half for a late timer
    // and the event that follows.
    static constexpr std::chrono::milliseconds Interval{4};

    explicit ReceiveModeration(QObject *parent = nullptr);

    std::chrono::milliseconds interval() const { return m_interval; }
    // At most Bound.
    void setInterval(std::chrono::milliseconds interval);
    // The clock that says how long the port listened before data came.
    void setClock(std::function<Clock::time_point()> now) { m_now = std::move(now); }

    // The port has just been opened (its read notification is found and
    // watched), or nullptr: it is closed.
    void watch(QSerialPort *port);
    // A receive event begins; it ends, `flood`: it took a flood's worth.
    void eventBegins();
    void eventEnds(bool flood);
    // The read notification is held back for now.
    bool holding() const { return m_notifier && !m_notifier->isEnabled(); }

private:
    void resume();

    std::chrono::milliseconds m_interval = Interval;
    std::function<Clock::time_point()> m_now = &Clock::now;
    QPointer<QSocketNotifier> m_notifier; // the port's own; gone with its close
    Clock::time_point m_listening;        // since when the port has listened
    Clock::duration m_waited{};           // how long the event's data kept it waiting
    int m_soon = 0;                       // events in a row that found data soon
    QTimer m_resume;
};
