// The real window, offscreen: what it shows before and after its load
// event, a layout whose controls neither overlap nor leave their frames,
// keyboard order, the help panel, the icon, and the window as it looks in
// four states, pixel for pixel, against pictures kept in tests/looks (set
// TAVERMUND_UPDATE_LOOKS=1 to write them anew after a deliberate change).

#include "WindowFixture.h"

#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

class TestWindow : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QApplication::setStyle(QStringLiteral("Fusion")); }
    void startUp()
    {
        WindowFixture fx;
        FormTavermund &f = fx.start();
        QCOMPARE(f.windowTitle(), QStringLiteral("Kelvandor: Tavermund"));
        QCOMPARE(fx.statuses, (QStringList{"Status:", "wait..."}));
        QVERIFY(!fx.dir().iniExists());
        QVERIFY(f.station().Timer1.Enabled() && !f.station().TimerCom.Enabled() && !f.station().Timer2.Enabled() && !f.station().StTimer.Enabled());
        QCOMPARE(f.station().Timer1.Interval(), fx.intervals.searchRetry);
        QCOMPARE(f.station().TimerCom.Interval(), fx.intervals.replyTimeout);
        QCOMPARE(f.station().Timer2.Interval(), fx.intervals.readBackStep);
        QCOMPARE(f.station().StTimer.Interval(), fx.intervals.pollTick);
        QCOMPARE(f.minimumSize(), f.maximumSize());
        // Every control keeps its colours when the window loses the focus.
        for (QWidget *w : f.findChildren<QWidget *>()) {
            const QPalette::ColorRole role = w->backgroundRole();
            QVERIFY2(w->palette().color(QPalette::Inactive, role) == w->palette().color(QPalette::Active, role),
                     qPrintable(w->objectName()));
        }
    }
    void controlsStayInsideTheirFramesAndApart()
    {
        WindowFixture fx;
        FormTavermund &f = fx.start();
        QList<QWidget *> containers{&f};
        for (QGroupBox *frame : f.findChildren<QGroupBox *>())
            containers << frame;
        int checked = 0;
        for (QWidget *container : containers) {
            if (container->objectName() == QStringLiteral("frmNevidi")
                || container->parentWidget() == f.findChild<QWidget *>("frmNevidi"))
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
    void tabOrder()
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
    void icon()
    {
        WindowFixture fx;
        FormTavermund &f = fx.start();
        QVERIFY(f.windowIcon().availableSizes().contains(QSize(32, 32)));
        const QImage picture(QStringLiteral(":/icons/tavermund.png"));
        QCOMPARE(picture.size(), QSize(32, 32));
        QVERIFY2(!picture.hasAlphaChannel(), "24-bit colour, no transparent pixels");
    }
    void looks_data()
    {
        QTest::addColumn<QString>("state");
        for (const char *state : {"started", "found", "settings", "help"})
            QTest::newRow(state) << QString::fromLatin1(state);
    }
    void looks()
    {
        QFETCH(QString, state);
        WindowFixture fx;
        if (state != QStringLiteral("found"))
            fx.intervals = Intervals{}; // nothing ticks before the picture is taken
        FormTavermund &f = fx.start();
        QVERIFY(QTest::qWaitForWindowExposed(&f));
        if (state == QStringLiteral("found")) {
            // The route from the bytes on the wire to the labels: the device
            // code, the duty display, the highlighted frequency, the status line.
            QVERIFY(fx.discoverAndReadBack());
            fx.peer().write("1SV1=50\r1SV2=3\r");
            QTRY_COMPARE(fx.status(), QStringLiteral("COM:1 Baud:9600 COM data: 1SV2=3"));
        } else if (state == QStringLiteral("settings")) {
            QTest::mouseClick(f.ui.cmdSet, Qt::LeftButton);
        } else if (state == QStringLiteral("help")) {
            QTest::mouseClick(f.ui.cmdHelp, Qt::LeftButton);
        }
        const QImage seen = f.grab().toImage().convertToFormat(QImage::Format_RGB32);
        const QString kept = QStringLiteral(TAVERMUND_LOOKS_DIR "/%1.png").arg(state);
        if (qEnvironmentVariableIsSet("TAVERMUND_UPDATE_LOOKS"))
            QVERIFY(seen.save(kept));
        const QImage expected = QImage(kept).convertToFormat(QImage::Format_RGB32);
        QCOMPARE(seen.size(), expected.size());
        int differing = 0;
        for (int y = 0; y < seen.height(); ++y) {
            for (int x = 0; x < seen.width(); ++x)
                differing += seen.pixel(x, y) != expected.pixel(x, y);
        }
        if (differing > 0)
            seen.save(QStringLiteral("looks-%1-seen.png").arg(state));
        QVERIFY2(differing == 0, qPrintable(QStringLiteral("%1 pixels differ; see looks-%2-seen.png").arg(differing).arg(state)));
        if (state == QStringLiteral("help")) {
            QTest::mouseClick(f.ui.cmdCloseHelp, Qt::LeftButton);
            QVERIFY(!f.ui.frmHelp->isVisible());
        }
    }
};

QTEST_MAIN(TestWindow)
#include "tst_window.moc"
