#include "toolkit/DisplayBatch.h"

#include <algorithm>
#include <utility>

DisplayBatch::DisplayBatch(std::chrono::milliseconds frame, QObject *parent)
    : QObject(parent)
    , m_frame(this)
{
    m_frame.setSingleShot(true);
    m_frame.setTimerType(Qt::PreciseTimer);
    m_frame.setInterval(frame);
    connect(&m_frame, &QTimer::timeout, this, &DisplayBatch::endFrame);
}

void DisplayBatch::hold()
{
    ++m_holds;
}

void DisplayBatch::release()
{
    --m_holds;
    if (m_pending && !m_frame.isActive()) {
        flush();
        m_frame.start();
    }
}

// A frame that wrote nothing lets the timer stop: the next receive event
// is written at once.
void DisplayBatch::endFrame()
{
    if (m_pending) {
        flush();
        m_frame.start();
    }
}

void DisplayBatch::flush()
{
    if (!std::exchange(m_pending, false))
        return;
    // The colour first, as each line sets it before its caption.
    if (std::exchange(m_statusColour.set, false))
        emit writeStatusColour(m_statusColour.value);
    if (std::exchange(m_status.set, false))
        emit writeStatus(m_status.value);
    if (std::exchange(m_duty.set, false))
        emit writeDuty(m_duty.value);
    if (std::exchange(m_frequency.set, false))
        emit writeFrequency(m_frequency.value);
}

void DisplayBatch::setStatus(const QString &caption)
{
    if (!holding()) {
        flush();
        emit writeStatus(caption);
        return;
    }
    // Copied into a string of our own rather than shared: the sender can
    // then write its next caption into the same storage, and so can we.
    m_status.value.resize(caption.size());
    std::copy(caption.begin(), caption.end(), m_status.value.begin());
    m_status.set = m_pending = true;
}

void DisplayBatch::setStatusColour(std::uint32_t colour)
{
    if (!holding()) {
        flush();
        emit writeStatusColour(colour);
        return;
    }
    m_statusColour.value = colour;
    m_statusColour.set = m_pending = true;
}

void DisplayBatch::setDuty(const QString &text)
{
    if (!holding()) {
        flush();
        emit writeDuty(text);
        return;
    }
    m_duty.value = text;
    m_duty.set = m_pending = true;
}

void DisplayBatch::setFrequency(int button)
{
    if (!holding()) {
        flush();
        emit writeFrequency(button);
        return;
    }
    m_frequency.value = button;
    m_frequency.set = m_pending = true;
}
