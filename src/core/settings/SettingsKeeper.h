#pragma once

#include "serial/PortEntry.h"
#include "serial/PortLinker.h"
#include "settings/SettingsValues.h"
#include "toolkit/Executable.h"
#include "toolkit/MessageRequest.h"

#include <QObject>

#include <array>
#include <optional>

class SerialComponent;

// Moves the settings between the file beside the executable, the window's
// state, the settings panel and MSComm1, and keeps track of the panel
// being open.
class SettingsKeeper : public QObject
{
    Q_OBJECT

public:
    // What the panel's boxes hold: txtSet1(1) to txtSet1(5) and
    // txtTempName(1) to txtTempName(4); element 0 unused.
    struct PanelEntries
    {
        std::array<QString, 6> set1;
        std::array<QString, 5> tempNames;
    };

    SettingsKeeper(SerialComponent &comm, SettingsValues &values, QString &settingsPath, Executable executable,
                   AskOperator ask, QObject *parent = nullptr);

    // The command line's bench: LoadSettings takes these values instead of
    // the file, which is then neither read nor written.
    void useValues(const SettingsValues &values) { m_given = values; }

    // Reads the file, or falls back to the defaults without a word when it
    // is missing, unreadable, short, out of range or refused by MSComm1.
    void LoadSettings();
    // Closes the port, links the chosen device as com<n> for the COM entry,
    // writes the entries and asks for a link restart. Returns false, with
    // the file, the link and the settings untouched, when an entry cannot
    // be converted, the link cannot be made or the file cannot be written
    // (the link made for it is then put back as it was).
    bool SaveSettings(const PanelEntries &entries);

    // The operator picked a device from the port list. Like every entry of
    // the panel it waits for SAVE-CLOSE; a device this user may not open is
    // pointed out at once, and the operator says whether to keep it.
    void choosePort(const PortEntry &entry);
    const std::optional<PortEntry> &chosenPort() const { return m_chosenPort; }

    void cmdSet_Click();
    void cmdExit_Click(const PanelEntries &entries);
    bool isPanelOpen() const { return m_panelOpen; }

signals:
    // The values to show in the panel and in the caption labels.
    void loaded(const SettingsValues &values);
    void panelOpened();
    void panelClosed();
    // Entry txtSet1(index) was refused: it is to be focused and selected.
    void entryRefused(int index);
    // The file has been written: the link is to restart from the file.
    void saved();
    // The device waiting for SAVE-CLOSE; an empty entry when there is none.
    void portChoiceChanged(const PortEntry &entry);

private:
    void apply();
    void refuseEntry(int index, const QString &what, const QString &text);
    std::optional<PortLinker::Result> linkChosenPort(int portNumber);
    QString unlinkChosenPort(int portNumber, const PortLinker::Result &linked);
    void forgetChosenPort();

    SerialComponent &m_comm;
    SettingsValues &m_values;
    QString &m_settingsPath;
    Executable m_executable;
    AskOperator m_ask;
    bool m_panelOpen = false;
    std::optional<PortEntry> m_chosenPort;
    std::optional<SettingsValues> m_given;
};
