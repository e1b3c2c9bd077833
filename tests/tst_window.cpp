// The real window, offscreen: what it shows before and after its load
// event, a layout whose controls neither overlap nor leave their frames,
// keyboard order, the help panel and the icon.

#include "WindowFixture.h"

#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

class TestWindow : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QApplication::setStyle(QStringLiteral("Fusion")); }
    void startUp();
    void controlsStayInsideTheirFramesAndApart();
    void tabOrder();
    void helpPanel();
    void icon();
};

void TestWindow::startUp()
{
    WindowFixture fx;
    FormOptions options;
    options.executable = fx.dir().executable();
    {
        FormTavermund before(options);
        QCOMPARE(before.windowTitle(), QStringLiteral("Form2"));
        QCOMPARE(before.ui.lblStatus->text(), QStringLiteral("--"));
        QVERIFY(!before.Timer1.Enabled());
    }
    FormTavermund &f = fx.start();
    QVERIFY(QTest::qWaitForWindowExposed(&f));
    const FormControls &ui = f.ui;
    QCOMPARE(f.windowTitle(), QStringLiteral("Kelvandor: Tavermund"));
    QCOMPARE(fx.statuses, (QStringList{"Status:", "wait..."}));
    QCOMPARE(WindowFixture::pixel(ui.lblStatus), 0xC0FFFFu); // painted, not just set
    QCOMPARE(WindowFixture::pixel(ui.lblDevCode), 0x000000u);
    QCOMPARE(ui.lblDevCode->text(), QStringLiteral("???"));
    QCOMPARE(ui.lblTemp[1]->text(), QStringLiteral("-"));
    QVERIFY(!ui.frmSet->isVisible() && !ui.frmHelp->isVisible() && !fx.widget("frmNevidi")->isVisible());
    QVERIFY(!ui.frmTemp[1]->isEnabled());
    QVERIFY(!ui.txtSet1[4]->isEnabled() && !ui.txtSet1[5]->isEnabled());
    // No settings file: the defaults in the panel and the captions.
    QStringList panel;
    for (int i = 1; i <= 5; ++i)
        panel << ui.txtSet1[i]->text();
    for (int i = 1; i <= 4; ++i)
        panel << ui.txtTempName[i]->text() << ui.lblTempName[i]->text();
    QCOMPARE(panel, (QStringList{"1", "9600", "1", "0", "-", "PWM(%):", "PWM(%):", "Label2", "Label2", "nc", "nc",
                                 "nc", "nc"}));
    QVERIFY(!fx.dir().iniExists());
    QVERIFY(f.Timer1.Enabled() && !f.TimerCom.Enabled() && !f.Timer2.Enabled() && !f.StTimer.Enabled());
    QCOMPARE(f.Timer1.Interval(), fx.intervals.searchRetry);
    QCOMPARE(f.StTimer.Interval(), fx.intervals.pollTick);
    QCOMPARE(f.minimumSize(), f.maximumSize());
    // A black frame does not blacken the default buttons inside it.
    QCOMPARE(ui.cmd50P->palette().color(QPalette::Button), QApplication::palette().color(QPalette::Button));
}

void TestWindow::controlsStayInsideTheirFramesAndApart()
{
    WindowFixture fx;
    FormTavermund &f = fx.start();
    QList<QWidget *> containers{&f};
    for (QGroupBox *frame : f.findChildren<QGroupBox *>())
        containers << frame;
    int checked = 0;
    for (QWidget *container : containers) {
        if (container->objectName() == QStringLiteral("frmNevidi")
            || container->parentWidget() == fx.widget("frmNevidi"))
            continue; // never shown
        QList<QWidget *> shown;
        for (QWidget *w : container->findChildren<QWidget *>(Qt::FindDirectChildrenOnly)) {
            if (!w->isHidden() && !w->objectName().isEmpty())
                shown << w;
        }
        for (int i = 0; i < shown.size(); ++i) {
            QVERIFY2(container->rect().contains(shown[i]->geometry()),
                     qPrintable(shown[i]->objectName() + " leaves " + container->objectName()));
            for (int j = i + 1; j < shown.size(); ++j) {
                QVERIFY2(!shown[i]->geometry().intersects(shown[j]->geometry()),
                         qPrintable(shown[i]->objectName() + " overlaps " + shown[j]->objectName()));
            }
            ++checked;
        }
    }
    QVERIFY(checked >= 30);
}

void TestWindow::tabOrder()
{
    WindowFixture fx;
    FormTavermund &f = fx.start();
    f.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&f));
    QCOMPARE(QApplication::focusWidget(), f.ui.cmdSet);
    // Before the control panel is enabled only Set and Hlp take the focus.
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), f.ui.cmdSet);
    f.ui.frmTemp[1]->setEnabled(true);
    QStringList order;
    for (int i = 0; i < 15; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        order << QApplication::focusWidget()->objectName();
    }
    QCOMPARE(order, (QStringList{"cmdHelp", "cmd0P", "cmd100P", "txtSV01", "cmdSV01", "cmdFpwm1", "cmdFpwm2",
                                 "cmdFpwm3", "cmdFpwm4", "cmdFpwm5", "cmdFpwm6", "cmdFpwm7", "cmd50P", "cmdSet",
                                 "cmdHelp"}));
}

void TestWindow::helpPanel()
{
    WindowFixture fx;
    FormTavermund &f = fx.start();
    auto *text = f.findChild<QPlainTextEdit *>(QStringLiteral("Text1"));
    QVERIFY(text->toPlainText().startsWith(QStringLiteral("- Set the COM port number\n")));
    QTest::mouseClick(f.ui.cmdSet, Qt::LeftButton);
    f.ui.txtSet1[2]->setText("19200");
    QTest::mouseClick(f.ui.cmdHelp, Qt::LeftButton);
    // The help panel lies over the settings panel, and both keep what was typed.
    const QPoint middle(f.width() / 2, f.height() / 2);
    QVERIFY(f.ui.frmHelp->isAncestorOf(f.childAt(middle)));
    text->appendPlainText("my note");
    QTest::mouseClick(f.ui.cmdCloseHelp, Qt::LeftButton);
    QVERIFY(!f.ui.frmHelp->isVisible());
    QVERIFY(f.ui.frmSet->isAncestorOf(f.childAt(middle)));
    QCOMPARE(f.ui.txtSet1[2]->text(), QStringLiteral("19200"));
    f.cmdHelp_Click();
    QVERIFY(text->toPlainText().endsWith(QStringLiteral("my note")));
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
