// The real window, offscreen: its controls as designed, the start-up state,
// colours as painted, fonts, keyboard order, the icon and the help panel.

#include "toolkit/Constants.h"
#include "ui/ControlPainter.h"
#include "ui/FontResolver.h"
#include "toolkit/Twips.h"
#include "ui/BgrColor.h"
#include "WindowFixture.h"

#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QTest>


namespace {

int px(int twips)
{
    return Twips::toPixels(twips, QGuiApplication::primaryScreen()->logicalDotsPerInch());
}

QRect twipsRect(int l, int t, int w, int h)
{
    return QRect(px(l), px(t), px(w), px(h));
}

} // namespace

class TestWindow : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void beforeLoad();
    void startUpState();
    void statusLineIsPaintedLightYellow();
    void layout_data();
    void layout();
    void coloursAndFonts();
    void tabOrder();
    void helpPanel();
    void helpOverSettings();
    void icon();
};

void TestWindow::initTestCase()
{
    QApplication::setStyle(QStringLiteral("Fusion"));
}

void TestWindow::beforeLoad()
{
    WindowFixture fx;
    FormOptions options;
    options.executable = fx.dir().executable();
    FormTavermund form(options);
    QCOMPARE(form.windowTitle(), QStringLiteral("Form2"));
    QCOMPARE(form.ui.lblStatus->text(), QStringLiteral("--"));
    QVERIFY(!form.Timer1.Enabled() && !form.TimerCom.Enabled() && !form.Timer2.Enabled() && !form.StTimer.Enabled());
}

void TestWindow::startUpState()
{
    WindowFixture fx;
    FormTavermund &f = fx.start();
    const FormControls &ui = f.ui;
    QCOMPARE(f.windowTitle(), QStringLiteral("Kelvandor: Tavermund"));
    QCOMPARE(fx.status(), QStringLiteral("wait..."));
    QCOMPARE(fx.statusBack(), 0xC0FFFFu);
    QCOMPARE(ui.lblDevCode->text(), QStringLiteral("???"));
    QCOMPARE(ui.lblTemp[1]->text(), QStringLiteral("-"));
    QVERIFY(!ui.frmSet->isVisible());
    QVERIFY(!ui.frmHelp->isVisible());
    QVERIFY(!fx.widget("frmNevidi")->isVisible());
    QVERIFY(!ui.frmTemp[1]->isEnabled());
    QVERIFY(!ui.cmd50P->isEnabled());
    QVERIFY(!ui.txtSet1[4]->isEnabled() && !ui.txtSet1[5]->isEnabled());
    QVERIFY(ui.cmdSet->isVisible() && ui.cmdHelp->isVisible());

    // No settings file: the defaults everywhere, and no file is created.
    const QStringList boxes{ui.txtSet1[1]->text(), ui.txtSet1[2]->text(), ui.txtSet1[3]->text(),
                            ui.txtSet1[4]->text(), ui.txtSet1[5]->text()};
    QCOMPARE(boxes, (QStringList{"1", "9600", "1", "0", "-"}));
    const QStringList names{"PWM(%):", "Label2", "nc", "nc"};
    for (int i = 1; i <= 4; ++i) {
        QCOMPARE(ui.txtTempName[i]->text(), names[i - 1]);
        QCOMPARE(ui.lblTempName[i]->text(), names[i - 1]);
    }
    QCOMPARE(f.MSComm1.CommPort(), 1);
    QCOMPARE(f.MSComm1.Settings(), QStringLiteral("9600,N,8,1"));
    QCOMPARE(f.st.settingsPath, fx.dir().iniPath());
    QVERIFY(!fx.dir().iniExists());

    // The search retry runs; nothing else yet.
    QVERIFY(f.Timer1.Enabled());
    QVERIFY(!f.TimerCom.Enabled() && !f.Timer2.Enabled() && !f.StTimer.Enabled());
    QCOMPARE(f.Timer1.Interval(), std::chrono::milliseconds(2500));
    QCOMPARE(f.TimerCom.Interval(), std::chrono::milliseconds(5000));
    QCOMPARE(f.Timer2.Interval(), std::chrono::milliseconds(800));
    QCOMPARE(f.StTimer.Interval(), std::chrono::milliseconds(1000));
}

void TestWindow::statusLineIsPaintedLightYellow()
{
    WindowFixture fx;
    fx.start();
    QVERIFY(QTest::qWaitForWindowExposed(&fx.form()));
    // What is painted, not just the property: red 255, green 255, blue 192.
    QCOMPARE(fx.statusPixel(), 0xC0FFFFu);
    const QImage device = fx.form().ui.lblDevCode->grab().toImage();
    QCOMPARE(device.pixelColor(3, device.height() / 2), QColor(Qt::black));
}

void TestWindow::layout_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("container");
    QTest::addColumn<QRect>("geometry");
    QTest::addColumn<QString>("caption");

    QTest::newRow("status line") << "lblStatus" << "FormTavermund" << twipsRect(735, 105, 7275, 360) << "";
    QTest::newRow("Set") << "cmdSet" << "FormTavermund" << twipsRect(105, 105, 540, 360) << "Set";
    QTest::newRow("control panel") << "frmTemp(1)" << "FormTavermund" << twipsRect(105, 630, 7890, 2010) << "PV1:";
    QTest::newRow("duty display") << "lblTemp(1)" << "frmTemp(1)" << twipsRect(105, 315, 2010, 645) << "-";
    QTest::newRow("30.6") << "cmdFpwm7" << "cmdF2" << twipsRect(210, 1155, 855, 330) << "30.6";
    QTest::newRow("Send") << "cmdSV01" << "Frame1" << twipsRect(105, 1050, 1065, 435) << "Send";
    QTest::newRow("settings panel") << "frmSet" << "FormTavermund" << twipsRect(120, 120, 7890, 3060) << "Settings:";
    QTest::newRow("ucApp box") << "txtSet1(5)" << "Frame2" << twipsRect(2940, 210, 2010, 240) << "";
    QTest::newRow("help panel") << "frmHelp" << "FormTavermund" << twipsRect(120, 120, 7920, 3060) << "Help:";
    QTest::newRow("hidden INIT") << "cmdInicijalizacija" << "frmNevidi" << twipsRect(1155, 210, 750, 360) << "INIT";
}

void TestWindow::layout()
{
    QFETCH(QString, name);
    QFETCH(QString, container);
    QFETCH(QRect, geometry);
    QFETCH(QString, caption);
    WindowFixture fx;
    FormTavermund &f = fx.start();
    QCOMPARE(f.size(), QSize(px(8130), px(3270)));
    QCOMPARE(f.minimumSize(), f.maximumSize());
    QWidget *w = fx.widget(name);
    QVERIFY2(w, qPrintable(name));
    QCOMPARE(w->parentWidget()->objectName(), container);
    QCOMPARE(w->geometry(), geometry);
    if (caption.isEmpty())
        return;
    if (auto *b = qobject_cast<QPushButton *>(w))
        QCOMPARE(b->text(), caption);
    else if (auto *g = qobject_cast<QGroupBox *>(w))
        QCOMPARE(g->title(), caption);
    else if (auto *l = qobject_cast<QLabel *>(w))
        QCOMPARE(l->text(), caption);
    else if (auto *e = qobject_cast<QLineEdit *>(w))
        QCOMPARE(e->text(), caption);
}

void TestWindow::coloursAndFonts()
{
    WindowFixture fx;
    FormTavermund &f = fx.start();
    const FormControls &ui = f.ui;
    QCOMPARE(ui.frmTemp[1]->palette().color(QPalette::Window), QColor(Qt::black));
    QCOMPARE(ui.frmTemp[1]->palette().color(QPalette::Active, QPalette::WindowText), QColor(255, 255, 192));
    QCOMPARE(ui.lblTemp[1]->palette().color(QPalette::Active, QPalette::WindowText), QColor(255, 0, 0));
    QCOMPARE(ui.lblDevCode->palette().color(QPalette::Active, QPalette::WindowText), QColor(255, 255, 0));
    QCOMPARE(ui.frmSet->palette().color(QPalette::Window), QColor(192, 0, 0));
    QCOMPARE(ui.cmdSV01->palette().color(QPalette::Button), QColor(0, 192, 0));
    QCOMPARE(ControlPainter::backColorValue(ui.cmdFpwm[4]), Colour::ButtonFace);
    QCOMPARE(ControlPainter::backColorValue(ui.frmHelp), Colour::Highlight);
    // A black frame does not blacken the default buttons inside it.
    QCOMPARE(ui.cmd50P->palette().color(QPalette::Button), QApplication::palette().color(QPalette::Button));
    QCOMPARE(ui.txtSV01->palette().color(QPalette::Active, QPalette::Base), QApplication::palette().color(QPalette::Active, QPalette::Base));

    QCOMPARE(ui.lblStatus->font().family(), FontResolver::family(FontResolver::Face::Arial));
    QCOMPARE(ui.lblStatus->font().pointSizeF(), 9.75);
    QVERIFY(!ui.lblStatus->font().bold());
    QCOMPARE(ui.lblTemp[1]->font().pointSizeF(), 27.75);
    QVERIFY(ui.cmdSet->font().bold());
    QCOMPARE(ui.cmdSet->font().pointSizeF(), 9.75);
    QCOMPARE(ui.cmdExit->font().pointSizeF(), 8.25);
    QVERIFY(!ui.cmdExit->font().bold());
    QCOMPARE(ui.cmdSet->font().family(), FontResolver::family(FontResolver::Face::MsSansSerif));
}

void TestWindow::tabOrder()
{
    WindowFixture fx;
    FormTavermund &f = fx.start();
    f.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&f));
    QCOMPARE(QApplication::focusWidget(), f.ui.cmdSet);
    // Before the panel is enabled only Set and Hlp take the focus.
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget()->objectName(), QStringLiteral("cmdHelp"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget()->objectName(), QStringLiteral("cmdSet"));

    f.ui.frmTemp[1]->setEnabled(true);
    QStringList order;
    for (int i = 0; i < 16; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        order << QApplication::focusWidget()->objectName();
    }
    QCOMPARE(order, (QStringList{"cmdHelp", "cmd0P", "cmd100P", "txtSV01", "cmdSV01", "cmdFpwm1", "cmdFpwm2",
                                 "cmdFpwm3", "cmdFpwm4", "cmdFpwm5", "cmdFpwm6", "cmdFpwm7", "cmd50P", "cmdSet",
                                 "cmdHelp", "cmd0P"}));
}

void TestWindow::helpPanel()
{
    WindowFixture fx;
    FormTavermund &f = fx.start();
    const QString expected = QStringLiteral(
        "- Set the COM port number\n- Set Baud rate\n- Set Device ID (0-9 A,B,C,D,E,F)\n"
        "- Set Sample time (not used)\n- Set ucApp name (not used)\n- Add users labels 1-2\n"
        "- More devices can be connected to different ports and copy the exe version  under a different name \n"
        "and use the various COM ports.  \n");
    QCOMPARE(f.findChild<QPlainTextEdit *>("Text1")->toPlainText(), expected);
    QCOMPARE(f.findChild<QPlainTextEdit *>("Text1")->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);

    QTest::mouseClick(f.ui.cmdHelp, Qt::LeftButton);
    QVERIFY(f.ui.frmHelp->isVisible());
    f.findChild<QPlainTextEdit *>("Text1")->appendPlainText("my note");
    f.cmdHelp_Click(); // again: nothing changes
    QVERIFY(f.ui.frmHelp->isVisible());
    QTest::mouseClick(f.ui.cmdCloseHelp, Qt::LeftButton);
    QVERIFY(!f.ui.frmHelp->isVisible());
    QVERIFY(f.findChild<QPlainTextEdit *>("Text1")->toPlainText().contains("my note"));
    QVERIFY(f.Timer1.Enabled());
}

void TestWindow::helpOverSettings()
{
    WindowFixture fx;
    FormTavermund &f = fx.start();
    QTest::mouseClick(f.ui.cmdSet, Qt::LeftButton);
    QVERIFY(f.ui.frmSet->isVisible());
    f.ui.txtSet1[2]->setText("19200");
    f.cmdHelp_Click();
    const QPoint middle(f.width() / 2, f.height() / 2);
    QWidget *top = f.childAt(middle);
    QVERIFY(top);
    QVERIFY2(top == f.ui.frmHelp || f.ui.frmHelp->isAncestorOf(top), qPrintable(top->objectName()));
    f.cmdCloseHelp_Click();
    top = f.childAt(middle);
    QVERIFY2(top == f.ui.frmSet || f.ui.frmSet->isAncestorOf(top), qPrintable(top->objectName()));
    QCOMPARE(f.ui.txtSet1[2]->text(), QStringLiteral("19200"));
}

void TestWindow::icon()
{
    WindowFixture fx;
    FormTavermund &f = fx.start();
    QVERIFY(f.windowIcon().availableSizes().contains(QSize(32, 32)));
    const QImage picture(QStringLiteral(":/icons/tavermund.png"));
    QCOMPARE(picture.size(), QSize(32, 32));
    QVERIFY2(!picture.hasAlphaChannel(), "24-bit colour, no transparent pixels");
}

QTEST_MAIN(TestWindow)
#include "tst_window.moc"
