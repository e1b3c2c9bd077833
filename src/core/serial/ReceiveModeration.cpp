#include "serial/ReceiveModeration.h"

#include <QSerialPort>

#include <algorithm>

static_assert(ReceiveModeration::Bound == std::chrono::microseconds(7168));
static_assert(ReceiveModeration::Interval <= ReceiveModeration::Bound);

ReceiveModeration::ReceiveModeration(QObject *parent)
    : QObject(parent)
    , m_resume(this)
{
    m_resume.setSingleShot(true);
    m_resume.setTimerType(Qt::PreciseTimer);
    connect(&m_resume, &QTimer::timeout, this, &ReceiveModeration::resume);
}

void ReceiveModeration::setInterval(std::chrono::milliseconds interval)
{
    m_interval = std::clamp(interval, std::chrono::milliseconds(0),
                            std::chrono::floor<std::chrono::milliseconds>(Bound));
}

void ReceiveModeration::watch(QSerialPort *port)
{
    m_resume.stop();
    m_notifier.clear();
    // QSerialPort reads through a read notifier of its own, its child while
    // the port is open. Without one nothing is held back.
    if (port) {
        const auto notifiers = port->findChildren<QSocketNotifier *>(Qt::FindDirectChildrenOnly);
        const auto reader = std::find_if(notifiers.cbegin(), notifiers.cend(), [](const QSocketNotifier *n) {
            return n->type() == QSocketNotifier::Read;
        });
        m_notifier = reader == notifiers.cend() ? nullptr : *reader;
    }
    m_listening = m_now();
    m_soon = 0;
}

void ReceiveModeration::eventBegins()
{
    m_waited = m_now() - m_listening;
}

void ReceiveModeration::eventEnds(bool flood)
{
    m_listening = m_now();
    m_soon = m_waited < m_interval ? m_soon + 1 : 0;
    if (flood || m_soon < 2 || !m_notifier || m_interval <= std::chrono::milliseconds(0))
        return;
    m_notifier->setEnabled(false);
    m_resume.start(m_interval);
}

// The port listens again; what arrived meanwhile raises the next event at
// once, and that event, having found its data without waiting, is held too.
void ReceiveModeration::resume()
{
    m_listening = m_now();
    if (m_notifier)
        m_notifier->setEnabled(true);
}
