#pragma once

#include "toolkit/Executable.h"
#include "toolkit/MessageRequest.h"

#include <QObject>

#include <cstdint>

class LinkSession;
class SerialComponent;
class SettingsKeeper;
class WindowTimer;

// The application shell: what a window's life needs of the bench: its load
// event, the one procedure that (re)starts the search for the device, the
// search retry tick and the exit confirmation.
class AppShell : public QObject
{
    Q_OBJECT

public:
    AppShell(SettingsKeeper &settings, LinkSession &link, SerialComponent &comm, WindowTimer &searchRetry,
             Executable executable, AskOperator ask, QObject *parent = nullptr);

    void Form_Load();
    void RestartLink();
    void Timer1_Timer();
    // `cancel` is 0 on entry; 1 keeps the window open.
    void Form_Unload(std::int16_t &cancel);
    // What a Yes on the exit box does, without asking (the program is told
    // to end from outside: a desktop session ending, Ctrl+C).
    void endWithoutAsking();

signals:
    void captionChanged(const QString &caption);
    void statusChanged(const QString &caption);
    void statusColourChanged(std::uint32_t colour);
    // The operator confirmed the exit; the port is closed.
    void exitConfirmed();

private:
    SettingsKeeper &m_settings;
    LinkSession &m_link;
    SerialComponent &m_comm;
    WindowTimer &m_searchRetry;
    Executable m_executable;
    AskOperator m_ask;
};
