// End to end, through the real window against a real pseudo-terminal on a
// compressed clock: a click to the bytes on the wire, the settings file to
// the port, the port list to the link (the bytes to the labels are
// tst_window's pictures, the unplugged adapter is the fault suite's); the
// operator meeting the window while the link runs: typing across polls,
// boxes, the log switch, the exit, a stop signal; and the one test on the
// real clock.

#include "StationProbe.h"
#include "WindowFixture.h"
#include "toolkit/Constants.h"
#include "ui/ControlPainter.h"
#include "ui/PortPicker.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QMenu>
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
        // ("50%" is clicked between polls in typingAcrossPolls.)
        click(f, f.ui.cmd100P);
        click(f, f.ui.cmd0P);
        click(f, f.ui.cmdFpwm[7]);
        f.ui.txtSV01->setText(QStringLiteral("abc"));
        click(f, f.ui.cmdSV01);
        QCOMPARE(f.ui.txtSV01->text(), QStringLiteral("error"));
        f.ui.txtSV01->setText(QStringLiteral("42"));
        click(f, f.ui.cmdSV01);
        QTRY_COMPARE(fx.peer().received(), QByteArray("1SV1=100\rPV1?\r1SV1=0\rPV1?\r1SV2=7\r1SV1=42\r"));
        QCOMPARE(ControlPainter::backColorValue(f.ui.cmdFpwm[7]), Colour::ButtonFace); // a click colours nothing
        fx.peer().write("1SV2=1\r"); // the board's answer does
        QTRY_COMPARE(ControlPainter::backColorValue(f.ui.cmdFpwm[1]), Colour::Highlight);
        fx.peer().write("1SV2=8\r"); // not one of the seven: none is highlighted
        QTRY_COMPARE(ControlPainter::backColorValue(f.ui.cmdFpwm[1]), Colour::ButtonFace);
        // The port is gone when "50%" sends: Yes restarts the link, so the
        // "PV1?" that follows fails too and asks again; nothing stays locked.
        fx.peer().clearReceived();
        StationProbe probe(f.station());
        probe.MSComm1().setPortOpen(false);
        probe.StTimer().setEnabled(true);
        f.setInputLocked(true);
        f.station().pressDuty(50);
        QCOMPARE(fx.asked.size(), 2);
        QCOMPARE(fx.asked[1].style, MessageRequest::YesNo | MessageRequest::Critical | MessageRequest::DefaultButton2);
        QVERIFY(!f.inputLocked() && !probe.StTimer().Enabled() && f.ui.frmTemp[1]->isEnabled());
        QCOMPARE(fx.statuses.last(), QStringLiteral("wait..."));
        QTRY_COMPARE(fx.peer().received(), QByteArray("\r1BS?\r"));
    }
    void settingsFileToPort()
    {
        WindowFixture fx("3,\"19200\",\"A\",0,\"bench 2\"\r\n\"a\",\"b\",\"c\",\"d\"\r\n", 3);
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
        QCOMPARE(fx.dir().readIni(), QByteArray("3,\"38400\",\"B\",0,\"bench 2\"\r\n\"Duty, %\",\"b\",\"c\",\"d\"\r\n"));
        QCOMPARE(f.ui.lblTempName[1]->text(), QStringLiteral("Duty, %"));
        QCOMPARE(fx.status(), QStringLiteral("wait..."));
        QTRY_VERIFY(fx.peer().received().endsWith("\rBBS?\r"));
        QVERIFY(lineIs(B38400));
    }
    void typingAcrossPolls()
    {
        // The operator types into the duty box and clicks "50%" inside a
        // poll's pause: the click is refused, the key waits for the pause to
        // end and goes to the box, which keeps the focus throughout.
        WindowFixture fx(PollEverySecondTick);
        FormTavermund &f = fx.start();
        QVERIFY(fx.discoverAndReadBack());
        QLineEdit *box = f.ui.txtSV01;
        box->setFocus();
        box->setText(QStringLiteral("4"));
        bool typed = false;
        connect(&fx.peer(), &PtyPeer::bytesArrived, this, [&] {
            if (typed || !f.inputLocked() || !fx.peer().received().contains("1PV1\r"))
                return;
            typed = true;
            click(f, f.ui.cmd50P);
            QTest::keyClick(f.windowHandle(), Qt::Key_2);
            QCOMPARE(box->text(), QStringLiteral("4"));
        });
        QTRY_VERIFY(typed);
        QTRY_COMPARE(box->text(), QStringLiteral("42"));
        QCOMPARE(f.focusWidget(), box);
        QVERIFY(!fx.peer().received().contains("1SV1=50"));
        click(f, f.ui.cmdSV01);
        QTRY_VERIFY(fx.peer().received().contains("1SV1=42\r"));
        click(f, f.ui.cmd50P); // refused during the poll, it works outside
        QTRY_VERIFY(fx.peer().received().contains("1SV1=50\r"));
    }
    void chooseSaveAndFind()
    {
        WindowFixture fx; // com1 leads to fx.peer()
        PtyPeer board;
        QList<PortEntry> plugged;
        fx.ports = [&] { return plugged; };
        FormTavermund &f = fx.start();
        f.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&f));
        QTest::mouseClick(f.ui.cmdSet, Qt::LeftButton);
        f.ui.txtTempName[1]->setFocus();
        QTest::keyClick(f.ui.txtTempName[1], Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), f.ui.cmdPorts);

        // Nothing plugged in: the list says so.
        QMenu *list = f.portPicker().menu();
        QTest::keyClick(f.ui.cmdPorts, Qt::Key_Space);
        QTRY_VERIFY(list->isVisible());
        QCOMPARE(list->actions().size(), 1);
        QVERIFY(!list->actions()[0]->isEnabled() && list->actions()[0]->text().startsWith("No serial ports found."));
        QTest::keyClick(list, Qt::Key_Escape);
        QTRY_VERIFY(!list->isVisible());

        // Plugged in since: the list is read again, and what COM 1 reaches now
        // is checked.
        plugged = {{"Old board", "", "", "pts/a", fx.peer().slavePath(), fx.peer().slavePath()},
                   {"New board", "Maker", "N1", "pts/b", board.slavePath(), board.slavePath()}};
        QTest::keyClick(f.ui.cmdPorts, Qt::Key_Space);
        QTRY_VERIFY(list->isVisible());
        QCOMPARE(list->actions().size(), 2);
        QVERIFY(list->actions()[0]->isChecked() && !list->actions()[1]->isChecked());
        QTest::keyClick(list, Qt::Key_Down);
        QTest::keyClick(list, Qt::Key_Down);
        QTest::keyClick(list, Qt::Key_Return);
        QTRY_VERIFY(!list->isVisible());
        QCOMPARE(f.ui.cmdPorts->text(), QStringLiteral("Chosen: pts/b"));
        QCOMPARE(QFileInfo(fx.dir().linkPath(1)).symLinkTarget(), fx.peer().slavePath()); // not before SAVE-CLOSE
        // Opened again, the list still checks what COM 1 reaches now and
        // shows the choice waiting for SAVE-CLOSE in bold.
        QTest::keyClick(f.ui.cmdPorts, Qt::Key_Space);
        QTRY_VERIFY(list->isVisible());
        QVERIFY(list->actions()[0]->isChecked() && !list->actions()[0]->font().bold() && list->actions()[1]->font().bold());
        QTest::keyClick(list, Qt::Key_Escape);
        QTRY_VERIFY(!list->isVisible());

        QTest::mouseClick(f.ui.cmdExit, Qt::LeftButton);
        QVERIFY(!f.ui.frmSet->isVisible() && fx.asked.isEmpty() && fx.dir().iniExists());
        QCOMPARE(QFileInfo(fx.dir().linkPath(1)).symLinkTarget(), board.slavePath());
        const QString reach = QStringLiteral("COM 1 reaches %1 through %2.").arg(board.slavePath(), fx.dir().linkPath(1));
        QVERIFY(f.ui.txtSet1[1]->toolTip() == reach && f.ui.lblStatus->toolTip() == reach);

        QTRY_VERIFY(board.received().contains("\r1BS?\r"));
        board.write("1BSok\r");
        QTRY_COMPARE(fx.status(), QStringLiteral("Found: 1BSok"));
    }
    void logSwitch()
    {
        // "Start log..." in the settings panel logs every line to the file
        // chosen, until "Stop log"; a file that cannot be opened is told.
        WindowFixture fx;
        QString chosen = fx.dir().path() + QStringLiteral("/bench.log");
        fx.chooseLogFile = [&chosen] { return chosen; };
        FormTavermund &f = fx.start();
        click(f, f.ui.cmdSet);
        click(f, f.ui.cmdLog);
        QVERIFY(f.ui.cmdLog->text() == QStringLiteral("Stop log") && f.ui.cmdLog->toolTip().endsWith("\n" + chosen));
        const auto logged = [&chosen](const QByteArray &line) {
            QFile log(chosen);
            return log.open(QIODevice::ReadOnly) && log.readAll().contains(line);
        };
        QTRY_VERIFY(logged(" tx \\r1BS?\n"));
        click(f, f.ui.cmdLog);
        QCOMPARE(f.ui.cmdLog->text(), QStringLiteral("Start log..."));
        chosen = QStringLiteral("/nonexistent/bench.log");
        click(f, f.ui.cmdLog);
        QTRY_COMPARE(fx.asked.size(), 1);
        QVERIFY2(fx.asked[0].prompt.contains(chosen), qPrintable(fx.asked[0].prompt));
        QCOMPARE(f.ui.cmdLog->text(), QStringLiteral("Start log..."));
    }
    void realClock()
    {
        WindowFixture fx("1,\"9600\",\"1\",1,\"-\"\r\n\"a\",\"b\",\"c\",\"d\"\r\n");
        fx.intervals = Intervals{};
        PtyPeer &peer = fx.peer();
        const QByteArray request("\r1BS?\r");
        const qint64 started = peer.elapsedMs();
        FormTavermund &f = fx.start();
        const auto near = [](qint64 got, qint64 want, qint64 early, qint64 late) {
            return got >= want - early && got <= want + late;
        };

        // Nobody answers: an attempt every 2.5 s, the first one interval after
        // the start; the 5 s time-out falls due with the third attempt and its
        // "No response!" stands until the fourth.
        qint64 noResponseAt = -1;
        QObject::connect(&f.station(), &BenchStation::statusChanged, [&](const QString &s) {
            if (s == QStringLiteral("No response!") && noResponseAt < 0)
                noResponseAt = peer.elapsedMs();
        });
        QTRY_VERIFY_WITH_TIMEOUT(peer.received().count(request) == 4, 12000);
        QList<qint64> at;
        for (qsizetype from = 0; (from = peer.received().indexOf(request, from)) >= 0; from += request.size())
            at << peer.arrivalOf(request, from) - started;
        QVERIFY2(near(at[0], 2500, 50, 1000), qPrintable(QString::number(at[0])));
        for (int i = 1; i < 4; ++i)
            QVERIFY2(near(at[i] - at[i - 1], 2500, 400, 400), qPrintable(QString::number(at[i] - at[i - 1])));
        QVERIFY2(noResponseAt - started >= at[2] - 100 && noResponseAt - started < at[3],
                 qPrintable(QStringLiteral("shown at %1; attempts at %2, %3").arg(noResponseAt - started).arg(at[2]).arg(at[3])));

        // Found: the read-back 0.85 s and 1.65 s after the reply, the first poll
        // 2 s after it and the next 2 s later (one every sampleTime + 1 ticks).
        peer.clearReceived();
        const qint64 found = peer.elapsedMs();
        peer.write("1BSok\r");
        QTRY_VERIFY_WITH_TIMEOUT(peer.received().count("1PV1\r") == 2, 6000);
        const qint64 poll1 = peer.arrivalOf("1PV1\r");
        const qint64 poll2 = peer.arrivalOf("1PV1\r", peer.received().indexOf("1PV1\r") + 1);
        QVERIFY2(near(peer.arrivalOf("1SV1\r") - found, 850, 50, 500), qPrintable(QString::number(peer.arrivalOf("1SV1\r") - found)));
        QVERIFY2(near(peer.arrivalOf("1SV2\r") - found, 1650, 50, 600), qPrintable(QString::number(peer.arrivalOf("1SV2\r") - found)));
        QVERIFY2(near(poll1 - found, 2000, 50, 700), qPrintable(QString::number(poll1 - found)));
        QVERIFY2(near(poll2 - poll1, 2000, 400, 400), qPrintable(QString::number(poll2 - poll1)));

        // "50%": two commands, 50 ms apart at least, and the click returns only
        // after the second pause.
        peer.clearReceived();
        QElapsedTimer clock;
        clock.start();
        f.station().pressDuty(50);
        const qint64 handler = clock.elapsed();
        QTRY_VERIFY(peer.received().contains("PV1?\r"));
        const qint64 apart = peer.arrivalOf("PV1?\r") - peer.arrivalOf("1SV1=50\r");
        QVERIFY2(near(apart, 50, 5, 450), qPrintable(QString::number(apart)));
        QVERIFY2(handler >= 100, qPrintable(QString::number(handler)));
    }
    void failedSendNoEndsAtOnce()
    {
        QProcess probe;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "offscreen");
        probe.setProcessEnvironment(env);
        probe.start(QStringLiteral(TAVERMUND_PROBE), {});
        QVERIFY(probe.waitForFinished(20000));
        const QByteArray out = probe.readAllStandardOutput();
        QCOMPARE(probe.exitStatus(), QProcess::NormalExit);
        QCOMPARE(probe.exitCode(), 0);
        const int failedSend = MessageRequest::YesNo | MessageRequest::Critical | MessageRequest::DefaultButton2;
        QVERIFY2(out.contains("asked " + QByteArray::number(failedSend) + " MsgBox: NO RESPONSE"), out.constData());
        QVERIFY2(!out.contains("Exit Dialog"), "no exit box");
        QVERIFY2(!out.contains("returned"), "nothing runs after No");
    }
    void sigtermClosesThePort()
    {
        // The desktop session ends: the real program, its port open, ends
        // normally on SIGTERM, and the port's lock file goes with it.
        TempExeDir dir;
        PtyPeer peer;
        const QString exe = dir.path() + QStringLiteral("/Tavermund");
        QVERIFY(peer.linkAs(dir.linkPath(1)) && QFile::copy(QStringLiteral(TAVERMUND_EXE), exe));
        const QString lock = "/run/lock/LCK.." + peer.slavePath().mid(5).replace('/', '_');
        const auto noStaleLock = qScopeGuard([&] { QFile::remove(lock); });
        QProcess tool;
        tool.start(exe, {});
        QTRY_VERIFY_WITH_TIMEOUT(peer.received().contains("\r1BS?\r"), 10000); // 2.5 s after the start
        QVERIFY(QFile::exists(lock));
        tool.terminate();
        QVERIFY(tool.waitForFinished(5000));
        QCOMPARE(tool.exitStatus(), QProcess::NormalExit);
        QCOMPARE(tool.exitCode(), 0);
        QVERIFY(!QFile::exists(lock));
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
        f.station().pressDuty(50);
        QCOMPARE(fx.asked.size(), 1); // "PV1?" on the closed port would have asked again
        QCOMPARE(fx.asked[0].style, MessageRequest::YesNoCancel | MessageRequest::Question);
        QVERIFY(!f.isVisible());
        StationProbe probe(f.station()); // closed, and no timer ticks any more
        QVERIFY(!probe.MSComm1().PortOpen() && !probe.Timer1().Enabled() && !probe.TimerCom().Enabled()
                && !probe.Timer2().Enabled() && !probe.StTimer().Enabled());
    }
};

QTEST_MAIN(TestRoutes)
#include "tst_routes.moc"
