#include "app/AppShell.h"

#include "link/LinkSession.h"
#include "serial/SerialComponent.h"
#include "settings/SettingsKeeper.h"
#include "toolkit/Constants.h"
#include "toolkit/WindowTimer.h"

AppShell::AppShell(SettingsKeeper &settings, LinkSession &link, SerialComponent &comm, WindowTimer &searchRetry,
                   Executable executable, AskOperator ask, QObject *parent)
    : QObject(parent)
    , m_settings(settings)
    , m_link(link)
    , m_comm(comm)
    , m_searchRetry(searchRetry)
    , m_executable(std::move(executable))
    , m_ask(std::move(ask))
{
}

void AppShell::Form_Load()
{
    emit captionChanged(QStringLiteral("Kelvandor: ") + m_executable.name);
    emit statusChanged(QStringLiteral("Status:"));
    RestartLink();
}

void AppShell::RestartLink()
{
    m_settings.LoadSettings();
    emit statusColourChanged(Colour::LightYellow);
    emit statusChanged(QStringLiteral("wait..."));
    m_searchRetry.setEnabled(true);
}

void AppShell::Timer1_Timer()
{
    // Pressing the hidden INIT button runs its action at once.
    m_link.cmdInicijalizacija_Click();
}

void AppShell::Form_Unload(std::int16_t &cancel)
{
    const int answer = m_ask({QStringLiteral("Do you want to close/exit App ?"),
                              MessageRequest::YesNoCancel | MessageRequest::Question, QStringLiteral("Exit Dialog"),
                              {}, 0});
    if (answer != MessageRequest::Yes) {
        cancel = 1; // No and Cancel alike keep the window open
        return;
    }
    endWithoutAsking();
}

void AppShell::endWithoutAsking()
{
    if (m_comm.PortOpen())
        m_comm.setPortOpen(false);
    emit exitConfirmed();
}
