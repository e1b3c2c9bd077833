#pragma once

#include <QObject>
#include <QPointer>

#include <memory>
#include <vector>

class QEvent;
class QWidget;

// Keeps the operator out of a window for a moment without disabling it.
//
// While locked, mouse clicks, wheel turns and drops on the window are
// refused, and keys and input-method text typed meanwhile are held back;
// they reach the focused control, in order, once the lock is lifted. A popup
// of the window open when the lock starts (a context menu, the port list)
// is closed. Nothing is disabled, so the focus, a text box's selection and
// cursor, and every control's colours stay exactly as they were: a short
// lock neither steals the keyboard nor makes the window flicker.
//
// Held input is typed for this window only: it is dropped as soon as the
// window stops being the active one (the operator went to another window,
// or a modal box came up) before it is delivered.
//
// A request to close the window is held too, and made once the lock is
// lifted: the exit box never opens while the operator can use no control,
// and a click on the close box is not lost to a poll.
//
// Input is stopped where the window system delivers it, at the window
// itself, before it reaches a control: a refused click must not move the
// focus either.
class InputLock : public QObject
{
    Q_OBJECT

public:
    explicit InputLock(QWidget *window);
    ~InputLock() override;

    bool isLocked() const { return m_locked; }
    void setLocked(bool locked);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    bool isOurs(QObject *watched) const;
    void closePopups();
    void watch(bool on);
    void releaseHeldKeys();

    QWidget *m_window;
    bool m_locked = false;
    bool m_watching = false; // the event filter is installed
    struct HeldKey
    {
        QPointer<QObject> receiver;
        std::unique_ptr<QEvent> event;
    };
    std::vector<HeldKey> m_held;
    bool m_closeHeld = false;
};
