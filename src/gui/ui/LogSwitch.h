#pragma once

#include <QObject>
#include <QString>

#include <functional>

class BenchStation;
class QPushButton;

// The log switch of the settings panel. "Start log..." asks for a file
// and has the station log every line to it, appending; while it logs the
// button reads "Stop log" and its tooltip names the file. The log goes on
// when the panel closes, until it is stopped, fails or the tool ends.
class LogSwitch : public QObject
{
    Q_OBJECT

public:
    // `chooseFile` returns the file to log to, empty for none; when it is
    // empty itself, a file dialog asks.
    LogSwitch(QPushButton *button, BenchStation &station, std::function<QString()> chooseFile,
              QObject *parent = nullptr);

private:
    void toggle();
    void show(bool logging);
    QString askForFile() const;

    QPushButton *m_button;
    BenchStation &m_station;
    std::function<QString()> m_chooseFile;
};
