#include "toolkit/TerminationSignals.h"

#include <QAbstractNativeEventFilter>
#include <QCoreApplication>
#include <QWinEventNotifier>

#include <atomic>
#include <csignal>

#include <windows.h>

namespace {

// Windows runs the console handler on a thread of its own. It only records
// what happened and sets an event, which a notifier sees in the event loop.
// The event is made once and kept for the life of the process, so that a
// handler still running while an instance goes never sets a closed handle.
std::atomic<int> pending{0};

HANDLE consoleEvent()
{
    static const HANDLE event = ::CreateEventW(nullptr, FALSE, FALSE, nullptr);
    return event;
}

BOOL WINAPI onConsoleEvent(DWORD type)
{
    const bool closing = type == CTRL_CLOSE_EVENT;
    if (!closing && type != CTRL_C_EVENT && type != CTRL_BREAK_EVENT)
        return FALSE;
    pending = closing ? SIGTERM : SIGINT;
    ::SetEvent(consoleEvent());
    // Windows ends the process as soon as this returns from a closing
    // console: wait, while the event loop closes the port and the program
    // ends (Windows ends it after a few seconds otherwise).
    if (closing)
        ::Sleep(INFINITE);
    return TRUE;
}

} // namespace

// The session's end comes to every top-level window as WM_ENDSESSION;
// reported once.
struct TerminationSignals::Hook : QAbstractNativeEventFilter
{
    explicit Hook(TerminationSignals &owner)
        : owner(owner)
        , notifier(consoleEvent())
    {
    }

    bool nativeEventFilter(const QByteArray &eventType, void *message, qintptr *) override
    {
        const MSG *msg = static_cast<const MSG *>(message);
        if (eventType == "windows_generic_MSG" && msg->message == WM_ENDSESSION && msg->wParam && !ended) {
            ended = true;
            emit owner.received(SIGTERM);
        }
        return false;
    }

    TerminationSignals &owner;
    QWinEventNotifier notifier;
    bool ended = false;
};

TerminationSignals::TerminationSignals(QObject *parent)
    : QObject(parent)
{
    if (!consoleEvent()) {
        qWarning("TerminationSignals: no event object; being told to end ends the program at once");
        return;
    }
    m_hook = std::make_unique<Hook>(*this);
    connect(&m_hook->notifier, &QWinEventNotifier::activated, this, [this] {
        if (const int number = pending.exchange(0))
            emit received(number);
    });
    if (QCoreApplication *app = QCoreApplication::instance())
        app->installNativeEventFilter(m_hook.get());
    ::SetConsoleCtrlHandler(onConsoleEvent, TRUE);
}

// The filter leaves the application as it is destroyed.
TerminationSignals::~TerminationSignals()
{
    if (m_hook)
        ::SetConsoleCtrlHandler(onConsoleEvent, FALSE);
}
