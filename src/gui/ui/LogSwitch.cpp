#include "ui/LogSwitch.h"

#include "app/BenchStation.h"

#include <QDir>
#include <QFileDialog>
#include <QPushButton>

LogSwitch::LogSwitch(QPushButton *button, BenchStation &station, std::function<QString()> chooseFile,
                     QObject *parent)
    : QObject(parent)
    , m_button(button)
    , m_station(station)
    , m_chooseFile(std::move(chooseFile))
{
    if (!m_chooseFile)
        m_chooseFile = [this] { return askForFile(); };
    connect(m_button, &QPushButton::clicked, this, &LogSwitch::toggle);
    connect(&m_station, &BenchStation::logChanged, this, &LogSwitch::show);
    show(false);
}

void LogSwitch::toggle()
{
    if (m_station.log().isOpen()) {
        m_station.stopLog();
        return;
    }
    const QString path = m_chooseFile();
    if (!path.isEmpty())
        m_station.startLog(path);
}

void LogSwitch::show(bool logging)
{
    m_button->setText(logging ? QStringLiteral("Stop log") : QStringLiteral("Start log..."));
    m_button->setToolTip(logging ? QStringLiteral("Logging every line sent and received to\n%1")
                                       .arg(QDir::toNativeSeparators(m_station.log().path()))
                                 : QStringLiteral("Log every line sent and received to a file, with the time of "
                                                  "each. An existing file is appended to."));
}

QString LogSwitch::askForFile() const
{
    const QString start = QDir(m_station.options().executable.directory)
                              .filePath(m_station.options().executable.name + QStringLiteral(".log"));
    return QFileDialog::getSaveFileName(m_button->window(), QStringLiteral("Log every line to"), start,
                                        QStringLiteral("Logs (*.log *.txt);;All files (*)"), nullptr,
                                        QFileDialog::DontConfirmOverwrite);
}
