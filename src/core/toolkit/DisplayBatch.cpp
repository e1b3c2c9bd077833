#include "toolkit/DisplayBatch.h"

#include "text/NumberReader.h"

#include <algorithm>
#include <utility>

namespace {

// Copies into `to`'s own storage, which then stays unshared and is reused
// by the next copy.
void copyInto(QString &to, QStringView from)
{
    to.resize(from.size());
    std::copy(from.begin(), from.end(), to.begin());
}

void copyInto(std::uint32_t &to, std::uint32_t from)
{
    to = from;
}

void copyInto(int &to, int from)
{
    to = from;
}

} // namespace

template<typename T>
bool DisplayBatch::Pending<T>::written(const T &v)
{
    if (known && shown == v)
        return false;
    copyInto(shown, v);
    known = true;
    return true;
}

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
    if (m_pending && !m_frame.isActive() && writeHeld())
        m_frame.start();
}

// A frame that changed nothing lets the timer stop: the next receive event
// is written at once.
void DisplayBatch::endFrame()
{
    if (m_pending && writeHeld())
        m_frame.start();
}

void DisplayBatch::flush()
{
    writeHeld();
}

bool DisplayBatch::writeHeld()
{
    if (!std::exchange(m_pending, false))
        return false;
    bool changed = false;
    // The colour first, as each line sets it before its caption.
    if (std::exchange(m_statusColour.set, false)) {
        changed |= m_statusColour.written(m_statusColour.value);
        emit writeStatusColour(m_statusColour.value);
    }
    if (std::exchange(m_status.set, false)) {
        changed |= m_status.written(heldStatus());
        emit writeStatus(m_status.value);
    }
    if (std::exchange(m_duty.set, false)) {
        changed |= m_duty.written(heldDuty());
        emit writeDuty(m_duty.value);
    }
    if (std::exchange(m_frequency.set, false)) {
        changed |= m_frequency.written(m_frequency.value);
        emit writeFrequency(m_frequency.value);
    }
    return changed;
}

const QString &DisplayBatch::heldStatus()
{
    if (std::exchange(m_statusInParts, false)) {
        m_status.value.resize(m_statusPrefix.size() + m_statusTail.size());
        std::copy(m_statusTail.cbegin(), m_statusTail.cend(),
                  std::copy(m_statusPrefix.cbegin(), m_statusPrefix.cend(), m_status.value.begin()));
    }
    return m_status.value;
}

const QString &DisplayBatch::heldDuty()
{
    if (std::exchange(m_dutyAsValue, false))
        m_duty.value = NumberReader::formatGeneral(m_dutyValue, m_dutyPoint);
    return m_duty.value;
}

void DisplayBatch::setStatus(const QString &caption)
{
    if (!holding()) {
        flush();
        m_status.written(caption);
        emit writeStatus(caption);
        return;
    }
    // Copied into a string of our own rather than shared: the sender can
    // then write its next caption into the same storage, and so can we.
    copyInto(m_status.value, caption);
    m_statusInParts = false;
    m_status.set = m_pending = true;
}

void DisplayBatch::setStatus(const QString &prefix, QStringView tail)
{
    if (!holding())
        flush();
    if (!prefix.isSharedWith(m_statusPrefix))
        m_statusPrefix = prefix;
    copyInto(m_statusTail, tail);
    m_statusInParts = true;
    if (!holding()) {
        m_status.written(heldStatus());
        emit writeStatus(m_status.value);
        return;
    }
    m_status.set = m_pending = true;
}

void DisplayBatch::setStatusColour(std::uint32_t colour)
{
    if (!holding()) {
        flush();
        m_statusColour.written(colour);
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
        m_duty.written(text);
        emit writeDuty(text);
        return;
    }
    m_duty.value = text;
    m_dutyAsValue = false;
    m_duty.set = m_pending = true;
}

void DisplayBatch::setDuty(float value, QChar decimalPoint)
{
    if (!holding())
        flush();
    m_dutyValue = value;
    m_dutyPoint = decimalPoint;
    m_dutyAsValue = true;
    if (!holding()) {
        m_duty.written(heldDuty());
        emit writeDuty(m_duty.value);
        return;
    }
    m_duty.set = m_pending = true;
}

void DisplayBatch::setFrequency(int button)
{
    if (!holding()) {
        flush();
        m_frequency.written(button);
        emit writeFrequency(button);
        return;
    }
    m_frequency.value = button;
    m_frequency.set = m_pending = true;
}
