#include "toolkit/DisplayBatch.h"

#include <algorithm>
#include <utility>

void DisplayBatch::hold()
{
    ++m_holds;
}

void DisplayBatch::release()
{
    --m_holds;
    // The colour first, as each line sets it before its caption.
    if (std::exchange(m_statusColour.set, false))
        emit writeStatusColour(m_statusColour.value);
    if (std::exchange(m_status.set, false))
        emit writeStatus(std::exchange(m_status.value, QString()));
    if (std::exchange(m_duty.set, false))
        emit writeDuty(std::exchange(m_duty.value, QString()));
    if (std::exchange(m_frequency.set, false))
        emit writeFrequency(m_frequency.value);
}

void DisplayBatch::setStatus(const QString &caption)
{
    if (m_holds == 0) {
        emit writeStatus(caption);
        return;
    }
    // Copied into a string of our own rather than shared: the sender can
    // then write its next caption into the same storage, and so can we.
    m_status.value.resize(caption.size());
    std::copy(caption.begin(), caption.end(), m_status.value.begin());
    m_status.set = true;
}

void DisplayBatch::setStatusColour(std::uint32_t colour)
{
    if (m_holds == 0) {
        emit writeStatusColour(colour);
        return;
    }
    m_statusColour.value = colour;
    m_statusColour.set = true;
}

void DisplayBatch::setDuty(const QString &text)
{
    if (m_holds == 0) {
        emit writeDuty(text);
        return;
    }
    m_duty.value = text;
    m_duty.set = true;
}

void DisplayBatch::setFrequency(int button)
{
    if (m_holds == 0) {
        emit writeFrequency(button);
        return;
    }
    m_frequency.value = button;
    m_frequency.set = true;
}
