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
#include "ui/LogSwitch.h"
#include "ui/MessageBox.h"
#include "ui/PortPicker.h"
#include "ui/ProgramEnd.h"
#include "ui/ReachTip.h"

#include <QCloseEvent>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>

namespace {

constexpr Qt::WindowFlags FixedWindow = Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint
    | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint
    | Qt::MSWindowsFixedSizeDialogHint;

} // namespace

FormTavermund::FormTavermund(FormOptions options, QWidget *parent)
    : QWidget(parent, FixedWindow)
    , m_options(std::move(options))
{
    setObjectName(WindowName());
    setWindowTitle(QStringLiteral("Form2"));
    setWindowIcon(icon());
    if (!m_options.messageBox)
        m_options.messageBox = MessageBox::modal(this);
    if (!m_options.ports)
        m_options.ports = [dir = m_options.executable.directory] { return PortCatalog::available(dir); };
    StationOptions station;
    station.executable = m_options.executable;
    station.ask = m_options.messageBox;
    station.intervals = m_options.intervals;
    m_station = std::make_unique<BenchStation>(std::move(station));

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
    m_portPicker = new PortPicker(ui.cmdPorts, ui.txtSet1[1], m_options.ports, m_options.executable.directory, this);
    m_reachTip = new ReachTip({ui.txtSet1[1], ui.lblStatus}, m_options.executable.directory,
                              [this] { return int(m_station->settingsInUse().commPort); }, this);
    m_logSwitch = new LogSwitch(ui.cmdLog, *m_station, m_options.chooseLogFile, this);
    wire();
    wireReports();
    ui.cmdSet->setFocus();

    if (screen)
        move(screen->availableGeometry().center() - rect().center());
}

FormTavermund::~FormTavermund() = default;

QString FormTavermund::WindowName()
{
    return BenchStation::WindowName.toString();
}

QIcon FormTavermund::icon()
{
    // The resources live in a static library; make sure they are registered.
    Q_INIT_RESOURCE(resources);
    return QIcon(QStringLiteral(":/icons/tavermund.png"));
}

// The operator's controls, each to the station's call.
void FormTavermund::wire()
{
    BenchStation *s = m_station.get();
    connect(ui.cmdHelp, &QPushButton::clicked, this, &FormTavermund::cmdHelp_Click);
    connect(ui.cmdCloseHelp, &QPushButton::clicked, this, &FormTavermund::cmdCloseHelp_Click);
    connect(ui.cmdSet, &QPushButton::clicked, s, &BenchStation::openSettings);
    connect(ui.cmdExit, &QPushButton::clicked, this, [this] { m_station->saveSettings(panelEntries()); });
    connect(m_portPicker, &PortPicker::chosen, s, &BenchStation::choosePort);

    connect(ui.cmd0P, &QPushButton::clicked, s, [s] { s->pressDuty(0); });
    connect(ui.cmd50P, &QPushButton::clicked, s, [s] { s->pressDuty(50); });
    connect(ui.cmd100P, &QPushButton::clicked, s, [s] { s->pressDuty(100); });
    connect(ui.cmdSV01, &QPushButton::clicked, this, [this] { m_station->sendDuty(ui.txtSV01->text()); });
    for (int k = 1; k <= 7; ++k)
        connect(ui.cmdFpwm[k], &QPushButton::clicked, s, [s, k] { s->pressFrequency(k); });
}

// What the station reports, onto the controls.
void FormTavermund::wireReports()
{
    BenchStation *s = m_station.get();
    connect(s, &BenchStation::captionChanged, this, &QWidget::setWindowTitle);
    connect(s, &BenchStation::deviceCodeChanged, ui.lblDevCode, &QLabel::setText);
    connect(s, &BenchStation::settingsLoaded, this, &FormTavermund::showSettings);
    connect(s, &BenchStation::settingsLoaded, m_reachTip, &ReachTip::refresh);
    connect(s, &BenchStation::portChoiceChanged, m_portPicker, &PortPicker::showChoice);
    connect(s, &BenchStation::panelOpened, ui.frmSet, &QWidget::show);
    connect(s, &BenchStation::panelClosed, ui.frmSet, &QWidget::hide);
    connect(s, &BenchStation::entryRefused, this, &FormTavermund::focusRefusedEntry);
    connect(s, &BenchStation::inputLockChanged, this, &FormTavermund::setInputLocked);
    connect(s, &BenchStation::controlsEnabled, ui.frmTemp[1], [this] { ui.frmTemp[1]->setEnabled(true); });
    connect(s, &BenchStation::dutyEntryChanged, ui.txtSV01, &QLineEdit::setText);
    // No in the failed-send box ends the program at once: no further code
    // runs, and the exit box is not shown.
    connect(s, &BenchStation::endChosen, this, [] { ProgramEnd::now(); });
    // A box of its own, once the event that met the failure is over.
    connect(s, &BenchStation::logFailed, this, &FormTavermund::showLogFailure, Qt::QueuedConnection);

    const DisplayBatch &display = s->display();
    connect(&display, &DisplayBatch::writeStatus, ui.lblStatus, &QLabel::setText);
    connect(&display, &DisplayBatch::writeStatusColour, this, &FormTavermund::setStatusBack);
    connect(&display, &DisplayBatch::writeDuty, ui.lblTemp[1], &QLabel::setText);
    connect(&display, &DisplayBatch::writeFrequency, this, &FormTavermund::showFrequency);
}

void FormTavermund::closeEvent(QCloseEvent *event)
{
    if (m_station->requestClose())
        event->accept();
    else
        event->ignore();
}

void FormTavermund::cmdHelp_Click()
{
    ui.frmHelp->setVisible(true);
}

void FormTavermund::cmdCloseHelp_Click()
{
    ui.frmHelp->setVisible(false);
}

void FormTavermund::setStatusBack(std::uint32_t colour)
{
    ControlPainter::setBackColor(ui.lblStatus, colour);
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

void FormTavermund::showLogFailure(const QString &path, const QString &reason)
{
    m_options.messageBox({QStringLiteral("The log could not be written to\n%1\n(%2).\n\n"
                                         "Logging has stopped; the bench goes on.")
                              .arg(path, reason),
                          MessageRequest::OkOnly | MessageRequest::Exclamation, QStringLiteral("Log stopped"), {}, 0});
}
