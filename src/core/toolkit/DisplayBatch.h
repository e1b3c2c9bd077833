#pragma once

#include <QObject>
#include <QString>

#include <cstdint>

// The writes that received lines make on the window's controls, held back
// to the end of the receive event.
//
// One receive event can hand on hundreds of lines, and each of them sets
// the status line, its colour and perhaps a value display. Nothing is
// painted and no other handler runs before the event is over (the reply
// handler pumps no events), so only the last value of each control can
// ever be seen. While a receive event holds the batch, each control keeps
// its latest value only, and the release writes it, once. Outside a hold
// every value is written at once, so a handler that sets the status line
// and then reads it finds its own caption.
//
// The pacing pause pumps events, so a receive event can run inside another
// handler's pause; should one ever run inside another hold, its release
// still writes everything pending, so whatever is painted or read after a
// receive event shows the latest values.
class DisplayBatch : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;

    // Holds the batch for the lifetime of one receive event.
    class Hold
    {
    public:
        explicit Hold(DisplayBatch &batch)
            : m_batch(batch)
        {
            m_batch.hold();
        }
        ~Hold() { m_batch.release(); }
        Hold(const Hold &) = delete;
        Hold &operator=(const Hold &) = delete;

    private:
        DisplayBatch &m_batch;
    };

    void hold();
    // Writes what is pending, latest values only.
    void release();

    void setStatus(const QString &caption);
    void setStatusColour(std::uint32_t colour);
    void setDuty(const QString &text);
    // The frequency button to highlight, 0 for none.
    void setFrequency(int button);

signals:
    void writeStatus(const QString &caption);
    void writeStatusColour(std::uint32_t colour);
    void writeDuty(const QString &text);
    void writeFrequency(int button);

private:
    template<typename T>
    struct Pending
    {
        T value{};
        bool set = false;
    };

    int m_holds = 0;
    Pending<std::uint32_t> m_statusColour;
    Pending<QString> m_status;
    Pending<QString> m_duty;
    Pending<int> m_frequency;
};
