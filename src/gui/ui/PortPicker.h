#pragma once

#include "serial/PortEntry.h"

#include <QObject>

class QLineEdit;
class QMenu;
class QPushButton;

// The port list of the settings panel. Its button opens the list, read
// afresh each time so that a board plugged in after start shows up; the
// device that the COM entry's port reaches now is checked, and the one
// waiting for SAVE-CLOSE is in bold. Where the system numbers its ports
// (Windows), choosing one sets the COM entry instead. Keyboard: Space on
// the button opens it, the arrow keys and Enter choose, Escape closes it.
class PortPicker : public QObject
{
    Q_OBJECT

public:
    PortPicker(QPushButton *button, QLineEdit *comEntry, PortLister lister, QString linkDirectory,
               QObject *parent = nullptr);

    QMenu *menu() const { return m_menu; }

    // The device waiting for SAVE-CLOSE; an empty entry for none.
    void showChoice(const PortEntry &entry);

signals:
    void chosen(const PortEntry &entry);

private:
    void open();
    void choose(const PortEntry &entry);

    QPushButton *m_button;
    QLineEdit *m_comEntry;
    PortLister m_lister;
    QString m_linkDirectory;
    QMenu *m_menu;
    QString m_choice; // system path of the device waiting for SAVE-CLOSE
};
