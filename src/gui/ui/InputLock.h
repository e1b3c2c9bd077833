#pragma once

#include <QObject>
#include <QPointer>

#include <memory>
#include <vector>

class QEvent;
class QWidget;

// Keeps the operator out of a window for a moment without disabling it.
//
// While locked, mouse clicks and wheel turns on the window are refused, and
// keys typed meanwhile are held back; they reach the focused control, in
// order, once the lock is lifted. Nothing is disabled, so the focus, a text
// box's selection and cursor, and every control's colours stay exactly as
// they were: a short lock neither steals the keyboard nor makes the window
// flicker.
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
    void releaseHeldKeys();

    QWidget *m_window;
    bool m_locked = false;
    struct HeldKey
    {
        QPointer<QObject> receiver;
        std::unique_ptr<QEvent> event;
    };
    std::vector<HeldKey> m_held;
};
