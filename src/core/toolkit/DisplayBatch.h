#pragma once

#include "toolkit/Intervals.h"

#include <QObject>
#include <QString>
#include <QTimer>

#include <chrono>
#include <cstdint>

// What received lines show, written on the window's controls at the
// screen's pace.
//
// A board that talks steadily makes up to a thousand receive events a
// second, each handing on lines that set the status line, its colour and
// perhaps a value display, while a screen shows some sixty frames. Every
// line is still handled at once and in order, but while a receive event
// holds the batch each control keeps its latest value only. When the event
// ends, those values are written at once if nothing was written during the
// frame before (the first change after a quiet frame is painted at once);
// otherwise they wait for the frame's end, when the latest values are
// written and the next frame begins. So the controls change at most once a
// frame, no later than a frame after the line that set them, and the last
// line of a flow is shown within a frame of its arrival. Values that leave
// every control as it was (a board repeating the same reply) are written
// too, but start no frame: nothing is painted, so the next change after
// them can go at once, and a steady talker that changes nothing costs no
// frame timer.
//
// Outside a receive event (a search attempt, a port error, a box, the poll
// counter) a value is written at once, after whatever is still held back:
// no value is shown after a later one, and a handler that sets the status
// line and then reads it finds its own caption. flush() writes what is
// held back, for anyone about to read the controls.
class DisplayBatch : public QObject
{
    Q_OBJECT

public:
    explicit DisplayBatch(std::chrono::milliseconds frame = Intervals{}.frame, QObject *parent = nullptr);

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
    // The end of a receive event: what it set is written now, or at the
    // end of the frame that is under way.
    void release();
    // Writes what is held back, latest values only.
    void flush();

    void setStatus(const QString &caption);
    // The caption `prefix` + `tail`, put together only when it is written:
    // each line of a receive event sets one, and only the last is shown.
    void setStatus(const QString &prefix, QStringView tail);
    void setStatusColour(std::uint32_t colour);
    void setDuty(const QString &text);
    // The duty as the device reported it, given its text
    // (NumberReader::formatGeneral) only when it is written.
    void setDuty(float value, QChar decimalPoint);
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
        T shown{}; // the value written last
        bool known = false;
        // Notes `v` as written; false if the control already showed it.
        bool written(const T &v);
    };

    bool holding() const { return m_holds > 0; }
    void endFrame();
    // Writes what is held back; false if it changed nothing.
    bool writeHeld();
    // The held status caption and duty text, put together from their parts.
    const QString &heldStatus();
    const QString &heldDuty();

    int m_holds = 0;
    bool m_pending = false; // something is held back
    // Runs for a frame after each write of held-back values; they wait for
    // its end while it runs.
    QTimer m_frame;
    Pending<std::uint32_t> m_statusColour;
    Pending<QString> m_status;
    Pending<QString> m_duty;
    Pending<int> m_frequency;
    // A caption held in parts rather than in m_status.value.
    bool m_statusInParts = false;
    QString m_statusPrefix;
    QString m_statusTail;
    // A duty held as its value rather than in m_duty.value.
    bool m_dutyAsValue = false;
    float m_dutyValue = 0;
    QChar m_dutyPoint;
};
