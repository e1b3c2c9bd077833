#pragma once

#include "PtyPeer.h"
#include "TempExeDir.h"
#include "ui/FormTavermund.h"

#include <QByteArray>
#include <QList>

#include <memory>

// The real window in a temporary executable folder, with a pseudo-terminal
// behind com<port> and a scripted operator for its message boxes. It runs
// on a clock ten times faster than the real one unless told otherwise.
class WindowFixture
{
public:
    // `ini`: the settings file to put beside the executable (none if empty).
    explicit WindowFixture(const QByteArray &ini = {}, int port = 1, bool linkPort = true);

    // Builds the window, runs its load event and shows it.
    FormTavermund &start();

    FormTavermund &form() { return *m_form; }
    PtyPeer &peer() { return m_peer; }
    TempExeDir &dir() { return m_dir; }

    // Set before start().
    Intervals intervals = Intervals{}.compressed(10);
    bool realBoxes = false; // the window's own modal boxes instead of the script
    PortLister ports;       // the window's port list; empty: this machine's
    std::function<QString()> chooseLogFile; // the log switch's file; empty: a dialog

    // Every box the window asked, in order, and the answers to give; when
    // the queue is empty a box is answered Cancel where it has one, and Yes
    // or OK otherwise (never No: that ends the test process).
    QList<MessageRequest> asked;
    QList<int> answers;
    QStringList statuses; // every caption the status line was given

    QString status() const;
    // The colour painted in the middle of a control's left edge (inside its
    // border), as &HBBGGRR.
    static std::uint32_t pixel(QWidget *control);

    // Answers the search request with the identification reply and waits
    // until the search is over; ...AndReadBack also waits for the read-back
    // and forgets what was received.
    bool discover();
    bool discoverAndReadBack();


private:
    TempExeDir m_dir;
    PtyPeer m_peer;
    std::unique_ptr<FormTavermund> m_form;
};
