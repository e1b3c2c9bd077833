#pragma once

#include "SettingsValues.h"

#include <QObject>

class FormTavermund;

// Moves the settings between the file beside the executable, the window's
// state, the settings panel, the caption labels and MSComm1.
class SettingsPanel : public QObject
{
    Q_OBJECT

public:
    explicit SettingsPanel(FormTavermund &form);

    // Reads the file, or falls back to the defaults without a word when it
    // is missing, unreadable, short, out of range or refused by MSComm1.
    void LoadSettings();
    // Closes the port, writes the panel's values and restarts the link.
    // Returns false, with the panel and the file untouched, when an entry
    // cannot be converted or the file cannot be written.
    bool SaveSettings();

    void cmdSet_Click();
    void cmdExit_Click();

private:
    void store(const SettingsValues &values);
    void apply();
    void refuseEntry(int index, const QString &what);

    FormTavermund &f;
};
