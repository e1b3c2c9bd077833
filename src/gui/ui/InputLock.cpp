#include "ui/InputLock.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCloseEvent>
#include <QDropEvent>
#include <QEvent>
#include <QWidget>
#include <QWindow>

#include <utility>

InputLock::InputLock(QWidget *window)
    : QObject(window)
    , m_window(window)
{
}

InputLock::~InputLock()
{
    watch(false);
}

void InputLock::setLocked(bool locked)
{
    if (locked == m_locked)
        return;
    m_locked = locked;
    if (locked) {
        // A button held down when the lock starts must not click when it is
        // let go during the lock: it is released without a click, as
        // disabling it would.
        for (QAbstractButton *button : m_window->findChildren<QAbstractButton *>()) {
            if (button->isDown())
                button->setDown(false);
        }
        closePopups();
        watch(true);
        return;
    }
    // Queued, so that the keys arrive after the handler that lifted the
    // lock has finished, as if they had just been typed. The filter stays
    // until then, to see the window lose the activation.
    QMetaObject::invokeMethod(this, &InputLock::releaseHeldKeys, Qt::QueuedConnection);
}

void InputLock::watch(bool on)
{
    if (on == m_watching)
        return;
    m_watching = on;
    if (on)
        qApp->installEventFilter(this);
    else
        qApp->removeEventFilter(this);
}

// A popup's parent chain leads to the window it belongs to, across the
// popup's own window.
void InputLock::closePopups()
{
    while (QWidget *popup = QApplication::activePopupWidget()) {
        QWidget *owner = popup->parentWidget();
        while (owner && owner != m_window)
            owner = owner->parentWidget();
        if (!owner || !popup->close())
            return;
    }
}

bool InputLock::isOurs(QObject *watched) const
{
    if (auto *widget = qobject_cast<QWidget *>(watched))
        return widget->window() == m_window;
    return watched == m_window->windowHandle();
}

bool InputLock::eventFilter(QObject *watched, QEvent *event)
{
    // Held input is dropped when the window stops being the active one.
    if (watched == m_window && event->type() == QEvent::WindowDeactivate)
        m_held.clear();
    if (!m_locked || !isOurs(watched))
        return false;
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::Wheel:
    case QEvent::ContextMenu:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::TabletPress:
    case QEvent::TabletRelease:
    case QEvent::DragEnter:
    case QEvent::DragMove:
        return true;
    case QEvent::Drop: {
        // Refused: the control that showed where the drop would go is told
        // that the drag has left, as if the drop had been outside.
        QDragLeaveEvent leave;
        QCoreApplication::sendEvent(watched, &leave);
        return true;
    }
    case QEvent::Close:
        if (watched != m_window)
            return false;
        m_closeHeld = true;
        event->ignore();
        return true;
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::InputMethod:
        m_held.push_back({watched, std::unique_ptr<QEvent>(event->clone())});
        return true;
    default:
        return false;
    }
}

void InputLock::releaseHeldKeys()
{
    // Locked again before this ran: the keys wait for the next release.
    while (!m_locked && !m_held.empty()) {
        HeldKey key = std::move(m_held.front());
        m_held.erase(m_held.begin());
        QObject *target = key.receiver;
        // A key held at a control goes where the focus is now, so a held Tab
        // moves the focus for the keys after it; one held at the window is
        // routed by the window itself.
        if (qobject_cast<QWidget *>(target) && m_window->focusWidget())
            target = m_window->focusWidget();
        if (target)
            QCoreApplication::sendEvent(target, key.event.get());
    }
    if (m_locked)
        return;
    watch(false);
    if (std::exchange(m_closeHeld, false))
        m_window->close();
}
