#include "ui/FormTavermund.h"

#include "serial/PortCatalog.h"
#include "text/WholeNumber.h"
#include "toolkit/Constants.h"
#include "toolkit/Twips.h"
#include "ui/BgrColor.h"
#include "ui/ControlPainter.h"
#include "ui/FontResolver.h"
#include "ui/FormBuilder.h"
#include "ui/FormLayout.h"
#include "ui/MessageBox.h"

#include <QCloseEvent>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMetaMethod>
#include <QPushButton>
#include <QScreen>

namespace {

constexpr Qt::WindowFlags FixedWindow = Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint
    | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint
    | Qt::MSWindowsFixedSizeDialogHint;

} // namespace

FormTavermund::FormTavermund(FormOptions options, QWidget *parent)
    : QWidget(parent, FixedWindow)
    , Timer1(QStringLiteral("Timer1"), options.intervals.searchRetry)
    , TimerCom(QStringLiteral("TimerCom"), options.intervals.replyTimeout)
    , Timer2(QStringLiteral("Timer2"), options.intervals.readBackStep)
    , StTimer(QStringLiteral("StTimer"), options.intervals.pollTick)
    , m_options(std::move(options))
    , m_settings(MSComm1, st.settings, st.settingsPath, m_options.executable,
                 [this](const MessageRequest &r) { return m_options.messageBox(r); })
    , m_link(MSComm1, st.settings, st.replies, Timer1, TimerCom)
    , m_sender(MSComm1, st.pendingCommand, [this](const MessageRequest &r) { return m_options.messageBox(r); },
               m_options.intervals.pacing)
    , m_pwm(m_sender, MSComm1, st.settings, st.pwm, Timer2, StTimer)
    , m_shell(m_settings, m_link, MSComm1, Timer1, m_options.executable,
              [this](const MessageRequest &r) { return m_options.messageBox(r); })
{
    setObjectName(QStringLiteral("FormTavermund"));
    setWindowTitle(QStringLiteral("Form2"));
    setWindowIcon(icon());
    if (!m_options.messageBox)
        m_options.messageBox = MessageBox::modal(this);
    if (!m_options.ports)
        m_options.ports = [dir = m_options.executable.directory] { return PortCatalog::available(dir); };

    QScreen *screen = QGuiApplication::primaryScreen();
    const double dpi = screen ? screen->logicalDotsPerInch() : Twips::BaseDpi;
    setFixedSize(Twips::toPixels(FormLayout::ClientWidth, dpi), Twips::toPixels(FormLayout::ClientHeight, dpi));
    setFont(FontResolver::font(FontResolver::Face::MsSansSerif, 8.25, false));
    QPalette pal = palette();
    pal.setColor(QPalette::Window, BgrColor::toQColor(FormLayout::WindowBack, pal));
    pal.setColor(QPalette::WindowText, Qt::black);
    setPalette(pal);
    setAutoFillBackground(true);

    FormBuilder::build(this, dpi);
    ui = FormControls::find(this);
    MSComm1.setLinkDirectory(m_options.executable.directory);
    m_portPicker = new PortPicker(ui.cmdPorts, ui.txtSet1[1], m_options.ports, m_options.executable.directory, this);
    m_reachTip = new ReachTip({ui.txtSet1[1], ui.lblStatus}, m_options.executable.directory,
                              [this] { return int(st.settings.commPort); }, this);
    wire();
    wireReports();
    wireDisplay();
    ui.cmdSet->setFocus();

    if (screen)
        move(screen->availableGeometry().center() - rect().center());
}

FormTavermund::~FormTavermund()
{
    stopAll();
}

QIcon FormTavermund::icon()
{
    // The resources live in a static library; make sure they are registered.
    Q_INIT_RESOURCE(resources);
    return QIcon(QStringLiteral(":/icons/tavermund.png"));
}

// The operator's controls, the timers and the serial component, each to
// its handler. The hidden buttons are pressed from code only.
void FormTavermund::wire()
{
    connect(ui.cmdHelp, &QPushButton::clicked, this, &FormTavermund::cmdHelp_Click);
    connect(ui.cmdCloseHelp, &QPushButton::clicked, this, &FormTavermund::cmdCloseHelp_Click);
    connect(ui.cmdSet, &QPushButton::clicked, &m_settings, &SettingsKeeper::cmdSet_Click);
    connect(ui.cmdExit, &QPushButton::clicked, this, [this] { m_settings.cmdExit_Click(panelEntries()); });
    connect(m_portPicker, &PortPicker::chosen, &m_settings, &SettingsKeeper::choosePort);

    connect(&MSComm1, &SerialComponent::OnComm, this, &FormTavermund::receiveEvent);
    connect(&MSComm1, &SerialComponent::PortLost, &m_link, &LinkSession::recoverLostDevice);
    connect(&Timer1, &WindowTimer::Timer, &m_shell, &AppShell::Timer1_Timer);
    connect(&TimerCom, &WindowTimer::Timer, &m_link, &LinkSession::TimerCom_Timer);
    connect(&Timer2, &WindowTimer::Timer, &m_pwm, &PwmControl::Timer2_Timer);
    connect(&StTimer, &WindowTimer::Timer, &m_pwm, &PwmControl::StTimer_Timer);

    connect(ui.cmd0P, &QPushButton::clicked, &m_pwm, &PwmControl::cmd0P_Click);
    connect(ui.cmd50P, &QPushButton::clicked, &m_pwm, &PwmControl::cmd50P_Click);
    connect(ui.cmd100P, &QPushButton::clicked, &m_pwm, &PwmControl::cmd100P_Click);
    connect(ui.cmdSV01, &QPushButton::clicked, this, [this] { m_pwm.cmdSV01_Click(ui.txtSV01->text()); });
    for (int k = 1; k <= 7; ++k)
        connect(ui.cmdFpwm[k], &QPushButton::clicked, &m_pwm, [this, k] { m_pwm.cmdFpwm_Click(k); });
}

// What the subsystems report, onto the controls and to each other. All
// connections are direct, so effects happen in the order they are reported.
void FormTavermund::wireReports()
{
    connect(&m_shell, &AppShell::captionChanged, this, &QWidget::setWindowTitle);
    connect(&m_shell, &AppShell::statusChanged, this, &FormTavermund::setStatus);
    connect(&m_shell, &AppShell::statusColourChanged, this, &FormTavermund::setStatusBack);
    connect(&m_shell, &AppShell::exitConfirmed, this, &FormTavermund::stopAll);

    connect(&m_settings, &SettingsKeeper::loaded, this, &FormTavermund::showSettings);
    connect(&m_settings, &SettingsKeeper::loaded, m_reachTip, &ReachTip::refresh);
    connect(&m_settings, &SettingsKeeper::portChoiceChanged, m_portPicker, &PortPicker::showChoice);
    connect(&m_settings, &SettingsKeeper::panelOpened, this, [this] {
        ui.frmSet->setVisible(true);
        m_pwm.stopPolling();
    });
    connect(&m_settings, &SettingsKeeper::panelClosed, ui.frmSet, &QWidget::hide);
    connect(&m_settings, &SettingsKeeper::entryRefused, this, &FormTavermund::focusRefusedEntry);
    connect(&m_settings, &SettingsKeeper::saved, &m_shell, &AppShell::RestartLink);

    connect(&m_link, &LinkSession::statusChanged, this, &FormTavermund::setStatus);
    connect(&m_link, &LinkSession::statusColourChanged, this, &FormTavermund::setStatusBack);
    connect(&m_link, &LinkSession::deviceFound, this, &FormTavermund::showDeviceCode);
    connect(&m_link, &LinkSession::deviceFound, &m_pwm, &PwmControl::startAfterDiscovery);
    connect(&m_link, &LinkSession::dutyShown, &m_display, &DisplayBatch::setDuty);
    connect(&m_link, &LinkSession::frequencyShown, &m_display, &DisplayBatch::setFrequency);
    connect(&m_link, &LinkSession::deviceLost, this, [this] {
        setInputLocked(false);
        m_pwm.stopPolling();
        m_shell.restartUnlessEditing();
    });

    connect(&m_sender, &CommandSender::restartWanted, this, [this] {
        m_pwm.stopPolling();
        setInputLocked(false);
        m_shell.RestartLink();
    });

    connect(&m_pwm, &PwmControl::statusChanged, this, &FormTavermund::setStatus);
    connect(&m_pwm, &PwmControl::inputLockChanged, this, &FormTavermund::setInputLocked);
    connect(&m_pwm, &PwmControl::controlsEnabled, ui.frmTemp[1], [this] { ui.frmTemp[1]->setEnabled(true); });
    connect(&m_pwm, &PwmControl::dutyEntryChanged, ui.txtSV01, &QLineEdit::setText);
    connect(&m_pwm, &PwmControl::pollFailed, &m_link, &LinkSession::recoverLostDevice);
}

// What the batch writes, onto the controls.
void FormTavermund::wireDisplay()
{
    connect(&m_display, &DisplayBatch::writeStatus, ui.lblStatus, &QLabel::setText);
    connect(&m_display, &DisplayBatch::writeStatusColour, this,
            [this](std::uint32_t colour) { ControlPainter::setBackColor(ui.lblStatus, colour); });
    connect(&m_display, &DisplayBatch::writeDuty, ui.lblTemp[1], &QLabel::setText);
    connect(&m_display, &DisplayBatch::writeFrequency, this, &FormTavermund::showFrequency);
}

// The receive event, with what its lines show written at its end.
void FormTavermund::receiveEvent()
{
    const DisplayBatch::Hold hold(m_display);
    m_link.MSComm1_OnComm();
}

void FormTavermund::closeEvent(QCloseEvent *event)
{
    std::int16_t cancel = 0;
    m_shell.Form_Unload(cancel);
    if (cancel != 0)
        event->ignore();
    else
        event->accept();
}

// The window goes away with its timers. A handler that was pausing when the
// operator closed the window sends nothing more.
void FormTavermund::stopAll()
{
    m_sender.shutDown();
    Timer1.setEnabled(false);
    TimerCom.setEnabled(false);
    Timer2.setEnabled(false);
    StTimer.setEnabled(false);
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
    m_display.setStatus(caption);
    if (m_statusWatched)
        emit statusShown(caption);
}

// Every received line sets a caption, so statusShown is emitted only while
// someone listens to it.
void FormTavermund::connectNotify(const QMetaMethod &signal)
{
    if (signal == QMetaMethod::fromSignal(&FormTavermund::statusShown))
        m_statusWatched = true;
}

void FormTavermund::disconnectNotify(const QMetaMethod &signal)
{
    const QMetaMethod shown = QMetaMethod::fromSignal(&FormTavermund::statusShown);
    if (!signal.isValid() || signal == shown)
        m_statusWatched = isSignalConnected(shown);
}

void FormTavermund::setStatusBack(std::uint32_t colour)
{
    m_display.setStatusColour(colour);
}

void FormTavermund::showSettings(const SettingsValues &v)
{
    ui.txtSet1[1]->setText(WholeNumber::toText(v.commPort));
    ui.txtSet1[2]->setText(v.baudRate);
    ui.txtSet1[3]->setText(v.deviceId);
    ui.txtSet1[4]->setText(WholeNumber::toText(v.sampleTime));
    ui.txtSet1[5]->setText(v.ucAppName);
    for (int i = 1; i <= 4; ++i) {
        ui.txtTempName[i]->setText(v.tempNames[i]);
        ui.lblTempName[i]->setText(v.tempNames[i]);
    }
}

SettingsKeeper::PanelEntries FormTavermund::panelEntries() const
{
    SettingsKeeper::PanelEntries entries;
    for (int i = 1; i <= 5; ++i)
        entries.set1[i] = ui.txtSet1[i]->text();
    for (int i = 1; i <= 4; ++i)
        entries.tempNames[i] = ui.txtTempName[i]->text();
    return entries;
}

void FormTavermund::focusRefusedEntry(int index)
{
    QLineEdit *box = ui.txtSet1[index];
    if (box->isEnabled()) {
        box->setFocus();
        box->selectAll();
    }
}

void FormTavermund::showDeviceCode()
{
    ui.lblDevCode->setText(QStringLiteral("Kelvandor: ") + objectName() + u' ' + m_options.executable.name);
}

void FormTavermund::ResetFrequencyButtons()
{
    for (int k = 1; k <= 7; ++k)
        ControlPainter::setBackColor(ui.cmdFpwm[k], Colour::ButtonFace);
}

void FormTavermund::showFrequency(int button)
{
    ResetFrequencyButtons();
    if (button >= 1 && button <= 7)
        ControlPainter::setBackColor(ui.cmdFpwm[button], Colour::Highlight);
}
