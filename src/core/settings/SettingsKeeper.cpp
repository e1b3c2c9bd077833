#include "settings/SettingsKeeper.h"

#include "serial/CommError.h"
#include "serial/DeviceAccess.h"
#include "serial/LineSettings.h"
#include "serial/PortErrors.h"
#include "serial/SerialComponent.h"
#include "settings/SettingsFile.h"
#include "text/WholeNumber.h"

#include <QLocale>

SettingsKeeper::SettingsKeeper(SerialComponent &comm, SettingsValues &values, QString &settingsPath,
                               Executable executable, AskOperator ask, QObject *parent)
    : QObject(parent)
    , m_comm(comm)
    , m_values(values)
    , m_settingsPath(settingsPath)
    , m_executable(std::move(executable))
    , m_ask(std::move(ask))
{
}

void SettingsKeeper::apply()
{
    m_comm.setCommPort(m_values.commPort);
    m_comm.setSettings(LineSettings::forBaudRate(m_values.baudRate));
}

void SettingsKeeper::LoadSettings()
{
    m_settingsPath = SettingsFile::pathFor(m_executable.directory, m_executable.name);
    const std::optional<SettingsValues> read = m_given ? m_given : SettingsFile::read(m_settingsPath);
    bool applied = false;
    if (read) {
        m_values = *read;
        try {
            apply();
            applied = true;
        } catch (const CommError &) {
            // MSComm1 refused the port number or the baud rate: defaults.
        }
    }
    if (!applied) {
        m_values = SettingsValues::defaults();
        try {
            apply();
        } catch (const CommError &) {
            // The defaults are always accepted with the port closed; the
            // fallback is taken once, whatever happens.
        }
    }
    forgetChosenPort();
    emit loaded(m_values);
}

bool SettingsKeeper::SaveSettings(const PanelEntries &entries)
{
    if (m_comm.PortOpen())
        m_comm.setPortOpen(false);

    const QChar localePoint = QLocale().decimalPoint().front();
    const auto commPort = WholeNumber::fromText(entries.set1[1], localePoint);
    if (!commPort) {
        refuseEntry(1, QStringLiteral("COM"), entries.set1[1]);
        return false;
    }
    const auto sampleTime = WholeNumber::fromText(entries.set1[4], localePoint);
    if (!sampleTime) {
        refuseEntry(4, QStringLiteral("STime"), entries.set1[4]);
        return false;
    }

    std::optional<PortLinker::Result> linked;
    if (m_chosenPort) {
        linked = linkChosenPort(*commPort);
        if (!linked)
            return false;
    }

    SettingsValues v;
    v.commPort = *commPort;
    v.baudRate = entries.set1[2];
    v.deviceId = entries.set1[3];
    v.sampleTime = *sampleTime;
    v.ucAppName = entries.set1[5];
    v.tempNames = entries.tempNames;

    const SettingsFile::Written written = SettingsFile::write(m_settingsPath, v);
    if (!written.problem.isEmpty()) {
        const QString linkNote = linked ? unlinkChosenPort(*commPort, *linked) : QString();
        m_ask({QStringLiteral("The settings could not be saved to\n%1\n(%2).\n\n"
                              "%3, and your entries are still in the panel.")
                       .arg(m_settingsPath, written.problem,
                            written.damaged ? QStringLiteral("The file could not be put back as it was either")
                                            : QStringLiteral("The file was left as it was"))
                   + linkNote,
               MessageRequest::OkOnly | MessageRequest::Critical, QStringLiteral("Settings not saved"), {}, 0});
        return false;
    }
    m_values = v;
    emit saved();
    return true;
}

void SettingsKeeper::refuseEntry(int index, const QString &what, const QString &text)
{
    m_ask({QStringLiteral("The %1 entry \"%2\" is not a whole number from %3 to %4.\n\n"
                          "Nothing was saved. Correct the entry and press SAVE-CLOSE again.")
               .arg(what, text)
               .arg(WholeNumber::Min)
               .arg(WholeNumber::Max),
           MessageRequest::OkOnly | MessageRequest::Exclamation, QStringLiteral("Settings not saved"), {}, 0});
    emit entryRefused(index);
}

void SettingsKeeper::choosePort(const PortEntry &entry)
{
    if (DeviceAccess::refusesThisUser(entry.systemPath)) {
        const int answer = m_ask(
            {QStringLiteral("Permission denied: you may not open %1.\n\n%2\n\nKeep this port as your choice?")
                 .arg(entry.systemPath, PortErrors::dialoutAdvice(false)),
             MessageRequest::YesNo | MessageRequest::Exclamation, QStringLiteral("Permission denied"), {}, 0});
        if (answer != MessageRequest::Yes)
            return;
    }
    m_chosenPort = entry;
    emit portChoiceChanged(entry);
}

void SettingsKeeper::forgetChosenPort()
{
    if (!m_chosenPort)
        return;
    m_chosenPort.reset();
    emit portChoiceChanged(PortEntry{});
}

// Before the file is written, so that the restart after the save opens the
// device just linked; the file write that fails after it undoes it.
std::optional<PortLinker::Result> SettingsKeeper::linkChosenPort(int portNumber)
{
    const PortLinker::Result r = PortLinker::link(m_executable.directory, portNumber, m_chosenPort->stableName);
    if (r.outcome == PortLinker::Outcome::Linked)
        return r;
    const QString what = r.outcome == PortLinker::Outcome::Refused
        ? QStringLiteral("COM %1 was not linked to\n%2:\n%3.").arg(portNumber).arg(m_chosenPort->stableName, r.reason)
        : QStringLiteral("The link\n%1\nto %2 could not be made (%3).").arg(r.linkPath, m_chosenPort->stableName, r.reason);
    m_ask({what + QStringLiteral("\n\nThe settings were not saved, and your entries are still in the panel."),
           MessageRequest::OkOnly | MessageRequest::Critical, QStringLiteral("Settings not saved"), {}, 0});
    return std::nullopt;
}

// The settings file could not be written: the link made for it goes too.
// Returns what the operator is told about the link.
QString SettingsKeeper::unlinkChosenPort(int portNumber, const PortLinker::Result &linked)
{
    const QString problem = PortLinker::undo(linked);
    if (problem.isEmpty())
        return QStringLiteral("\n\nCOM %1 was not linked to\n%2\neither: the link\n%3\nis as it was.")
            .arg(portNumber)
            .arg(m_chosenPort->stableName, linked.linkPath);
    return QStringLiteral("\n\nBut COM %1 stays linked to\n%2:\nthe old link\n%3\ncould not be put back (%4).")
        .arg(portNumber)
        .arg(m_chosenPort->stableName, linked.linkPath, problem);
}

void SettingsKeeper::cmdSet_Click()
{
    m_panelOpen = true;
    emit panelOpened();
}

void SettingsKeeper::cmdExit_Click(const PanelEntries &entries)
{
    if (!SaveSettings(entries))
        return;
    m_panelOpen = false;
    emit panelClosed();
}
