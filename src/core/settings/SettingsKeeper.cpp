#include "settings/SettingsKeeper.h"

#include "serial/CommError.h"
#include "serial/LineSettings.h"
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
    const std::optional<SettingsValues> read = SettingsFile::read(m_settingsPath);
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

    SettingsValues v;
    v.commPort = *commPort;
    v.baudRate = entries.set1[2];
    v.deviceId = entries.set1[3];
    v.sampleTime = *sampleTime;
    v.ucAppName = entries.set1[5];
    v.tempNames = entries.tempNames;

    const QString problem = SettingsFile::write(m_settingsPath, v);
    if (!problem.isEmpty()) {
        m_ask({QStringLiteral("The settings could not be saved to\n%1\n(%2).\n\n"
                              "The file was left as it was, and your entries are still in the panel.")
                   .arg(m_settingsPath, problem),
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
