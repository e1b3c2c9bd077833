#pragma once

#include "ui/FormTavermund.h"
#include "PtyPeer.h"
#include "TempExeDir.h"

#include <QByteArray>
#include <QList>

#include <memory>

class QWidget;

// The real window in a temporary executable folder, with a pseudo-terminal
// behind com<port> and a scripted operator for its message boxes.
class WindowFixture
{
public:
    // `ini`: the settings file to put beside the executable (none if empty).
    explicit WindowFixture(const QByteArray &ini = {}, int port = 1, bool linkPort = true);
    ~WindowFixture();

    // Builds the window, runs its load event and shows it.
    FormTavermund &start();

    FormTavermund &form() { return *m_form; }
    PtyPeer &peer() { return m_peer; }
    TempExeDir &dir() { return m_dir; }

    // Every box the window asked, in order, and the answers to give; when
    // the queue is empty a box is answered Cancel where it has one, and Yes
    // or OK otherwise (never No: that ends the test process).
    QList<MessageRequest> asked;
    QList<int> answers;
    // The window's clock; set before start(). Tests that check the order of
    // events rather than their timing run on a compressed clock.
    Intervals intervals;
    // The window's port list; set before start(). Empty: this machine's.
    PortLister ports;

    QString status() const;
    std::uint32_t statusBack() const;
    // The colour actually painted in the middle of the status line's left
    // edge (inside its border), as &HBBGGRR.
    std::uint32_t statusPixel() const;

    // Waits (running events) until the device is found: answers the search
    // request with the identification reply.
    bool discover(int timeoutMs = 8000);
    // Discovers the device, waits until its read-back queries have gone out
    // and forgets what was received so far.
    bool discoverAndReadBack();

    QWidget *widget(const QString &name) const;

private:
    TempExeDir m_dir;
    PtyPeer m_peer;
    std::unique_ptr<FormTavermund> m_form;
};
