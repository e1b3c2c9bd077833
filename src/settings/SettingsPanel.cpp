#include "SettingsPanel.h"

#include "CommError.h"
#include "FormTavermund.h"
#include "SettingsFile.h"
#include "WholeNumber.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>

SettingsPanel::SettingsPanel(FormTavermund &form)
    : f(form)
{
}

void SettingsPanel::store(const SettingsValues &v)
{
    f.st.commPort = v.commPort;
    f.st.baudRate = v.baudRate;
    f.st.deviceId = v.deviceId;
    f.st.sampleTime = v.sampleTime;
    f.st.ucAppName = v.ucAppName;
    f.st.tempNames = v.tempNames;
}

void SettingsPanel::apply()
{
    FormControls &ui = f.ui;
    ui.txtSet1[1]->setText(WholeNumber::toText(f.st.commPort));
    f.MSComm1.setCommPort(f.st.commPort);
    ui.txtSet1[2]->setText(f.st.baudRate);
    f.MSComm1.setSettings(f.st.baudRate + QStringLiteral(",N,8,1"));
    ui.txtSet1[3]->setText(f.st.deviceId);
    ui.txtSet1[4]->setText(WholeNumber::toText(f.st.sampleTime));
    ui.txtSet1[5]->setText(f.st.ucAppName);
    for (int i = 1; i <= 4; ++i) {
        ui.txtTempName[i]->setText(f.st.tempNames[i]);
        ui.lblTempName[i]->setText(f.st.tempNames[i]);
    }
}

void SettingsPanel::LoadSettings()
{
    const Executable &exe = f.executable();
    f.st.settingsPath = SettingsFile::pathFor(exe.directory, exe.name);
    const std::optional<SettingsValues> read = SettingsFile::read(f.st.settingsPath);
    if (read) {
        store(*read);
        try {
            apply();
            return;
        } catch (const CommError &) {
            // MSComm1 refused the port number or the baud rate: defaults.
        }
    }
    store(SettingsValues::defaults());
    try {
        apply();
    } catch (const CommError &) {
        // The defaults are always accepted with the port closed; the
        // fallback is taken once, whatever happens.
    }
}

bool SettingsPanel::SaveSettings()
{
    FormControls &ui = f.ui;
    if (f.MSComm1.PortOpen())
        f.MSComm1.setPortOpen(false);

    const QChar localePoint = QLocale().decimalPoint().front();
    const auto commPort = WholeNumber::fromText(ui.txtSet1[1]->text(), localePoint);
    if (!commPort) {
        refuseEntry(1, QStringLiteral("COM"));
        return false;
    }
    const auto sampleTime = WholeNumber::fromText(ui.txtSet1[4]->text(), localePoint);
    if (!sampleTime) {
        refuseEntry(4, QStringLiteral("STime"));
        return false;
    }

    SettingsValues v;
    v.commPort = *commPort;
    v.baudRate = ui.txtSet1[2]->text();
    v.deviceId = ui.txtSet1[3]->text();
    v.sampleTime = *sampleTime;
    v.ucAppName = ui.txtSet1[5]->text();
    for (int i = 1; i <= 4; ++i)
        v.tempNames[i] = ui.txtTempName[i]->text();

    const QString problem = SettingsFile::write(f.st.settingsPath, v);
    if (!problem.isEmpty()) {
        f.ask({QStringLiteral("The settings could not be saved to\n%1\n(%2).\n\n"
                              "The file was left as it was, and your entries are still in the panel.")
                   .arg(f.st.settingsPath, problem),
               MessageBox::OkOnly | MessageBox::Critical, QStringLiteral("Settings not saved"), {}, 0});
        return false;
    }
    store(v);
    f.RestartLink();
    return true;
}

void SettingsPanel::refuseEntry(int index, const QString &what)
{
    QLineEdit *box = f.ui.txtSet1[index];
    f.ask({QStringLiteral("The %1 entry \"%2\" is not a whole number from -32768 to 32767.\n\n"
                          "Nothing was saved. Correct the entry and press SAVE-CLOSE again.")
               .arg(what, box->text()),
           MessageBox::OkOnly | MessageBox::Exclamation, QStringLiteral("Settings not saved"), {}, 0});
    if (box->isEnabled()) {
        box->setFocus();
        box->selectAll();
    }
}

void SettingsPanel::cmdSet_Click()
{
    f.ui.frmSet->setVisible(true);
    f.StTimer.setEnabled(false);
}

void SettingsPanel::cmdExit_Click()
{
    if (SaveSettings())
        f.ui.frmSet->setVisible(false);
}
