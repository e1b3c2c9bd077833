// End to end, through the real window against a real pseudo-terminal on a
// compressed clock: a click to the bytes on the wire and the settings file
// to the port (the bytes to the labels are tst_window's pictures, the
// unplugged adapter is the fault suite's), and the operator meeting the
// window while the link runs: typing across polls, boxes, the exit.

#include "WindowFixture.h"
#include "toolkit/Constants.h"
#include "ui/ControlPainter.h"

#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTest>
#include <QWindow>

namespace {

const QByteArray PollEverySecondTick("1,\"9600\",\"1\",1,\"-\"\r\n\"a\",\"b\",\"c\",\"d\"\r\n");

// A click where the window system would deliver it.
void click(FormTavermund &f, QWidget *control)
{
    QTest::mouseClick(f.windowHandle(), Qt::LeftButton, {}, control->mapTo(&f, control->rect().center()));
}

} // namespace

class TestRoutes : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QApplication::setStyle(QStringLiteral("Fusion")); }
    void clickToWire()
    {
        WindowFixture fx;
        FormTavermund &f = fx.start();
        QVERIFY(!f.ui.frmTemp[1]->isEnabled()); // nothing to click before the device is found
        QVERIFY(fx.discoverAndReadBack());
        QVERIFY(f.ui.frmTemp[1]->isEnabled());
        click(f, f.ui.cmd50P);
        QTRY_COMPARE(fx.peer().received(), QByteArray("1SV1=50\rPV1?\r"));
        click(f, f.ui.cmdFpwm[7]);
        QTRY_COMPARE(fx.peer().received(), QByteArray("1SV1=50\rPV1?\r1SV2=7\r"));
        f.ui.txtSV01->setText(QStringLiteral("abc"));
        click(f, f.ui.cmdSV01);
        QCOMPARE(f.ui.txtSV01->text(), QStringLiteral("error"));
        f.ui.txtSV01->setText(QStringLiteral("42"));
        click(f, f.ui.cmdSV01);
        QTRY_COMPARE(fx.peer().received(), QByteArray("1SV1=50\rPV1?\r1SV2=7\r1SV1=42\r"));
        QCOMPARE(ControlPainter::backColorValue(f.ui.cmdFpwm[7]), Colour::ButtonFace); // a click colours nothing
        // The port is gone when "50%" sends: Yes restarts the link, so the
        // "PV1?" that follows fails too and asks again; nothing stays locked.
        fx.peer().clearReceived();
        f.MSComm1.setPortOpen(false);
        f.StTimer.setEnabled(true);
        f.setInputLocked(true);
        f.pwm().cmd50P_Click();
        QCOMPARE(fx.asked.size(), 2);
        QCOMPARE(fx.asked[1].style, 276); // Yes and No, No the default, the stop sign
        QVERIFY(!f.inputLocked() && !f.StTimer.Enabled() && f.ui.frmTemp[1]->isEnabled());
        QCOMPARE(fx.statuses.last(), QStringLiteral("wait..."));
        QTRY_COMPARE(fx.peer().received(), QByteArray("\r1BS?\r"));
    }
    void settingsFileToPort()
    {
        WindowFixture fx("3,\"19200\",\"A\",0,\"-\"\r\n\"a\",\"b\",\"c\",\"d\"\r\n", 3);
        FormTavermund &f = fx.start();
        QCOMPARE(f.ui.txtSet1[3]->text(), QStringLiteral("A"));
        QCOMPARE(f.ui.lblTempName[1]->text(), QStringLiteral("a"));
        QTRY_COMPARE(fx.peer().received(), QByteArray("\rABS?\r"));
        // The line settings on the opened port: the baud rate, 8 data bits, no
        // parity, 1 stop bit, no flow control.
        const auto lineIs = [&](speed_t baud) {
            const termios tio = fx.peer().lineSettings();
            return cfgetospeed(&tio) == baud && (tio.c_cflag & CSIZE) == CS8 && !(tio.c_cflag & (PARENB | CSTOPB | CRTSCTS))
                && !(tio.c_iflag & (IXON | IXOFF));
        };
        QVERIFY(lineIs(B19200));
        click(f, f.ui.cmdSet);
        f.ui.txtSet1[2]->setText(QStringLiteral("38400"));
        f.ui.txtSet1[3]->setText(QStringLiteral("B"));
        f.ui.txtTempName[1]->setText(QStringLiteral("Duty, %"));
        click(f, f.ui.cmdExit);
        QVERIFY(!f.ui.frmSet->isVisible());
        QCOMPARE(fx.dir().readIni(), QByteArray("3,\"38400\",\"B\",0,\"-\"\r\n\"Duty, %\",\"b\",\"c\",\"d\"\r\n"));
        QCOMPARE(f.ui.lblTempName[1]->text(), QStringLiteral("Duty, %"));
        QCOMPARE(fx.status(), QStringLiteral("wait..."));
        QTRY_VERIFY(fx.peer().received().endsWith("\rBBS?\r"));
        QVERIFY(lineIs(B38400));
    }
    void typingAcrossPolls()
    {
        // The operator types 42.4 into the duty box while the tool polls: one
        // key before the first poll, one inside it, one between the polls and
        // one inside the second. The keys go to the window, as the keyboard
        // sends them, and reach whichever control has the focus.
        WindowFixture fx(PollEverySecondTick);
        FormTavermund &f = fx.start();
        QVERIFY(fx.discoverAndReadBack());
        QLineEdit *box = f.ui.txtSV01;
        box->setFocus();
        box->selectAll();
        QWindow *keyboard = f.windowHandle();
        QTest::keyClick(keyboard, Qt::Key_4);
        QCOMPARE(box->text(), QStringLiteral("4"));

        const QImage digits = f.ui.lblTemp[1]->grab().toImage();
        const QImage caption = f.ui.lblTempName[1]->grab().toImage();
        const QImage button = f.ui.cmd50P->grab().toImage();
        const char inside[] = {'2', '4'};
        int pollsTyped = 0;
        qsizetype pollsSeen = 0;
        QStringList faults;
        connect(&fx.peer(), &PtyPeer::bytesArrived, this, [&] {
            const qsizetype polls = fx.peer().received().count("1PV1\r");
            if (polls == pollsSeen || !f.inputLocked() || pollsTyped == 2) {
                pollsSeen = polls;
                return; // not inside a poll's pause; wait for the next
            }
            pollsSeen = polls;
            // Inside the poll: clicks are refused; the focus, the cursor and the
            // colours stay as they are.
            const int cursor = box->cursorPosition();
            if (f.focusWidget() != box)
                faults << QStringLiteral("focus lost during poll %1").arg(pollsTyped + 1);
            if (f.ui.lblTemp[1]->grab().toImage() != digits || f.ui.lblTempName[1]->grab().toImage() != caption
                || f.ui.cmd50P->grab().toImage() != button)
                faults << QStringLiteral("colours changed during poll %1").arg(pollsTyped + 1);
            click(f, f.ui.cmd50P);
            QTest::keyClick(keyboard, inside[pollsTyped]);
            if (box->cursorPosition() != cursor)
                faults << QStringLiteral("a key went in during poll %1").arg(pollsTyped + 1);
            ++pollsTyped;
        });
        QTRY_COMPARE(pollsTyped, 1);
        QTRY_COMPARE(box->text(), QStringLiteral("42"));
        QTest::keyClick(keyboard, Qt::Key_Period);
        QTRY_COMPARE(pollsTyped, 2);
        QTRY_COMPARE(box->text(), QStringLiteral("42.4"));
        QCOMPARE(faults, QStringList());
        QCOMPARE(f.focusWidget(), box);
        QVERIFY(!fx.peer().received().contains("1SV1=50"));

        fx.peer().clearReceived();
        click(f, f.ui.cmdSV01);
        QTRY_VERIFY(fx.peer().received().contains("1SV1=42\r"));
        // The click refused during the polls works outside them.
        click(f, f.ui.cmd50P);
        QTRY_VERIFY(fx.peer().received().contains("1SV1=50\r"));
    }
    void modalBoxWhileTheLinkRuns()
    {
        // The exit box is up, modal, while the search goes on: requests go out,
        // the device answers, and the read-back runs, all under the box.
        WindowFixture fx;
        fx.realBoxes = true;
        FormTavermund &f = fx.start();
        int step = 0;
        QElapsedTimer clock;
        clock.start();
        QTimer driver;
        connect(&driver, &QTimer::timeout, this, [&] {
            QWidget *box = QApplication::activeModalWidget();
            if (!box)
                return;
            if (step == 0) {
                fx.peer().clearReceived();
                step = 1;
            } else if (step == 1 && fx.peer().received().contains("\r1BS?\r")) {
                fx.peer().write("1BSok\r");
                step = 2;
            } else if ((step == 2 && fx.peer().received().contains("1SV2\r")) || clock.elapsed() > 8000) {
                step = fx.status() == QStringLiteral("Found: 1BSok") ? 3 : -step;
                QTest::keyClick(box, Qt::Key_Escape); // Cancel
            }
        });
        driver.start(10);
        QVERIFY(!f.close()); // returns once the box is answered
        QCOMPARE(step, 3);
        QVERIFY(f.isVisible());
        QVERIFY(f.MSComm1.PortOpen());
    }
    void failedSendNoEndsAtOnce()
    {
        QProcess probe;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "offscreen");
        probe.setProcessEnvironment(env);
        probe.start(QStringLiteral(TAVERMUND_PROBE_END), {});
        QVERIFY(probe.waitForFinished(20000));
        const QByteArray out = probe.readAllStandardOutput();
        QCOMPARE(probe.exitStatus(), QProcess::NormalExit);
        QCOMPARE(probe.exitCode(), 0);
        QVERIFY2(out.contains("asked 276 MsgBox: NO RESPONSE"), out.constData());
        QVERIFY2(!out.contains("asked 35"), "no exit box");
        QVERIFY2(!out.contains("returned"), "nothing runs after No");
    }
    void exitDuringAPauseSendsNothingMore()
    {
        // The operator closes the window while "50%" waits between its two
        // commands: Yes ends it there, without a failed-send box for "PV1?".
        WindowFixture fx;
        FormTavermund &f = fx.start();
        QVERIFY(fx.discoverAndReadBack());
        fx.answers << MessageRequest::Yes;
        QTimer::singleShot(0, &f, [&f] { f.close(); });
        f.pwm().cmd50P_Click();
        QCOMPARE(fx.asked.size(), 1); // "PV1?" on the closed port would have asked again
        QCOMPARE(fx.asked[0].style, 35);
        QVERIFY(!f.isVisible());
        QVERIFY(!f.MSComm1.PortOpen());
    }
};

QTEST_MAIN(TestRoutes)
#include "tst_routes.moc"
