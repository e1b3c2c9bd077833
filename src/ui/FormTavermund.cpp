#include "FormTavermund.h"

#include "ControlPainter.h"
#include "FontResolver.h"
#include "FormBuilder.h"
#include "FormLayout.h"
#include "Intervals.h"
#include "Twips.h"
#include "VbColor.h"

#include <QCloseEvent>
#include <QGroupBox>
#include <QGuiApplication>
#include <QIcon>
#include <QLabel>
#include <QPushButton>
#include <QScreen>

namespace {

constexpr std::uint32_t LightYellow = 0xC0FFFF;

constexpr Qt::WindowFlags FixedWindow = Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint
    | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint
    | Qt::MSWindowsFixedSizeDialogHint;

} // namespace

FormTavermund::FormTavermund(FormOptions options, QWidget *parent)
    : QWidget(parent, FixedWindow)
    , Timer1(QStringLiteral("Timer1"), Intervals::SearchRetry)
    , TimerCom(QStringLiteral("TimerCom"), Intervals::ReplyTimeout)
    , Timer2(QStringLiteral("Timer2"), Intervals::QueryStep)
    , StTimer(QStringLiteral("StTimer"), Intervals::PollTick)
    , m_options(std::move(options))
    , m_settings(*this)
    , m_link(*this)
    , m_sender(*this)
    , m_pwm(*this)
{
    setObjectName(QStringLiteral("FormTavermund"));
    setWindowTitle(QStringLiteral("Form2"));
    setWindowIcon(icon());
    if (!m_options.messageBox)
        m_options.messageBox = MessageBox::modal(this);

    QScreen *screen = QGuiApplication::primaryScreen();
    const double dpi = screen ? screen->logicalDotsPerInch() : Twips::BaseDpi;
    setFixedSize(Twips::toPixels(FormLayout::ClientWidth, dpi), Twips::toPixels(FormLayout::ClientHeight, dpi));
    setFont(FontResolver::font(FontResolver::Face::MsSansSerif, 8.25, false));
    QPalette pal = palette();
    pal.setColor(QPalette::Window, VbColor::toQColor(FormLayout::WindowBack, pal));
    pal.setColor(QPalette::WindowText, Qt::black);
    setPalette(pal);
    setAutoFillBackground(true);

    FormBuilder::build(this, dpi);
    ui = FormControls::find(this);
    MSComm1.setLinkDirectory(m_options.executable.directory);
    wire();
    ui.cmdSet->setFocus();

    if (screen)
        move(screen->availableGeometry().center() - rect().center());
}

FormTavermund::~FormTavermund()
{
    Timer1.setEnabled(false);
    TimerCom.setEnabled(false);
    Timer2.setEnabled(false);
    StTimer.setEnabled(false);
}

QIcon FormTavermund::icon()
{
    // The resources live in a static library; make sure they are registered.
    Q_INIT_RESOURCE(resources);
    return QIcon(QStringLiteral(":/icons/tavermund.png"));
}

void FormTavermund::wire()
{
    connect(ui.cmdHelp, &QPushButton::clicked, this, &FormTavermund::cmdHelp_Click);
    connect(ui.cmdCloseHelp, &QPushButton::clicked, this, &FormTavermund::cmdCloseHelp_Click);
    connect(ui.cmdSet, &QPushButton::clicked, &m_settings, &SettingsPanel::cmdSet_Click);
    connect(ui.cmdExit, &QPushButton::clicked, &m_settings, &SettingsPanel::cmdExit_Click);

    connect(ui.cmdInicijalizacija, &QPushButton::clicked, &m_link, &LinkSession::cmdInicijalizacija_Click);
    connect(ui.cmdUPort, &QPushButton::clicked, &m_sender, &CommandSender::SendAction);
    connect(ui.cmdKasnjenje, &QPushButton::clicked, &m_sender, &CommandSender::PacingDelay);
    connect(&MSComm1, &MSComm::OnComm, &m_link, &LinkSession::MSComm1_OnComm);
    connect(&MSComm1, &MSComm::PortLost, &m_link, &LinkSession::recoverLostDevice);

    connect(&Timer1, &VbTimer::Timer, this, &FormTavermund::Timer1_Timer);
    connect(&TimerCom, &VbTimer::Timer, &m_link, &LinkSession::TimerCom_Timer);
    connect(&Timer2, &VbTimer::Timer, &m_pwm, &PwmPanel::Timer2_Timer);
    connect(&StTimer, &VbTimer::Timer, &m_pwm, &PwmPanel::StTimer_Timer);

    connect(ui.cmd0P, &QPushButton::clicked, &m_pwm, &PwmPanel::cmd0P_Click);
    connect(ui.cmd50P, &QPushButton::clicked, &m_pwm, &PwmPanel::cmd50P_Click);
    connect(ui.cmd100P, &QPushButton::clicked, &m_pwm, &PwmPanel::cmd100P_Click);
    connect(ui.cmdSV01, &QPushButton::clicked, &m_pwm, &PwmPanel::cmdSV01_Click);
    connect(ui.cmdPV01, &QPushButton::clicked, &m_pwm, &PwmPanel::cmdPV01_Click);
    connect(ui.cmdSV02, &QPushButton::clicked, &m_pwm, &PwmPanel::cmdSV02_Click);
    for (int k = 1; k <= 7; ++k)
        connect(ui.cmdFpwm[k], &QPushButton::clicked, &m_pwm, [this, k] { m_pwm.cmdFpwm_Click(k); });
}

void FormTavermund::Form_Load()
{
    setWindowTitle(QStringLiteral("Kelvandor: ") + m_options.executable.name);
    setStatus(QStringLiteral("Status:"));
    RestartLink();
}

void FormTavermund::RestartLink()
{
    m_settings.LoadSettings();
    setStatusBack(LightYellow);
    setStatus(QStringLiteral("wait..."));
    Timer1.setEnabled(true);
}

void FormTavermund::Timer1_Timer()
{
    // Pressing the hidden INIT button runs its action at once.
    m_link.cmdInicijalizacija_Click();
}

void FormTavermund::Form_Unload(std::int16_t &cancel)
{
    const int answer = ask({QStringLiteral("Do you want to close/exit App ?"),
                            MessageBox::YesNoCancel | MessageBox::Question, QStringLiteral("Exit Dialog"), {}, 0});
    if (answer != MessageBox::Yes) {
        cancel = 1; // No and Cancel alike keep the window open
        return;
    }
    if (MSComm1.PortOpen())
        MSComm1.setPortOpen(false);
    // The window goes away with its timers. A handler that was pausing
    // when the operator closed the window sends nothing more.
    m_unloaded = true;
    Timer1.setEnabled(false);
    TimerCom.setEnabled(false);
    Timer2.setEnabled(false);
    StTimer.setEnabled(false);
}

void FormTavermund::closeEvent(QCloseEvent *event)
{
    std::int16_t cancel = 0;
    Form_Unload(cancel);
    if (cancel != 0)
        event->ignore();
    else
        event->accept();
}

void FormTavermund::cmdHelp_Click()
{
    ui.frmHelp->setVisible(true);
}

void FormTavermund::cmdCloseHelp_Click()
{
    ui.frmHelp->setVisible(false);
}

void FormTavermund::setStatus(const QString &caption)
{
    ui.lblStatus->setText(caption);
    emit statusShown(caption);
}

void FormTavermund::setStatusBack(std::uint32_t colour)
{
    ControlPainter::setBackColor(ui.lblStatus, colour);
}

int FormTavermund::ask(const MessageBox::Request &request)
{
    return m_options.messageBox(request);
}
