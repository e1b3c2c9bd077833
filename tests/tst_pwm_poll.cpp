// End to end: the periodic poll - its cadence, the window refusing input
// while it runs, and its recovery when the device goes away.

#include "WindowFixture.h"

#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QWindow>

namespace {

QByteArray iniWithPoll(int sampleTime)
{
    return "1,\"9600\",\"1\"," + QByteArray::number(sampleTime) + ",\"-\"\r\n\"a\",\"b\",\"c\",\"d\"\r\n";
}


} // namespace

class TestPwmPoll : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void pollCadence_data();
    void pollCadence();
    void noPollWithoutPeriod();
    void typingAcrossPolls();
    void setStopsThePoll();
    void pollFailureRecoversByItself();
};

void TestPwmPoll::initTestCase()
{
    QApplication::setStyle(QStringLiteral("Fusion"));
}

void TestPwmPoll::pollCadence_data()
{
    QTest::addColumn<int>("sampleTime");
    QTest::newRow("1") << 1;
    QTest::newRow("5") << 5;
}

void TestPwmPoll::pollCadence()
{
    QFETCH(int, sampleTime);
    WindowFixture fx(iniWithPoll(sampleTime));
    FormTavermund &f = fx.start();
    QTRY_VERIFY_WITH_TIMEOUT(fx.peer().received().contains("BS?\r"), 4000);
    const qint64 found = fx.peer().elapsedMs();
    fx.peer().write("1BSok\r");
    QTRY_VERIFY(!f.Timer1.Enabled());
    const QString first = QStringLiteral("STime:%1 STimer:%2").arg(sampleTime).arg(sampleTime - 1);
    QTRY_COMPARE_WITH_TIMEOUT(fx.status(), first, 2000);

    const int period = (sampleTime + 1) * 1000;
    const qint64 deadline = found + 2000 + period + 1500;
    QTRY_VERIFY_WITH_TIMEOUT(fx.peer().received().count("1PV1\r") >= 2, int(deadline - fx.peer().elapsedMs()));
    const qint64 poll1 = fx.peer().arrivalOf("1PV1\r") - found;
    const qint64 poll2 = fx.peer().arrivalOf("1PV1\r", fx.peer().received().indexOf("1PV1\r") + 1) - found;
    QVERIFY2(poll1 >= 1900 && poll1 < 2700, qPrintable(QString::number(poll1)));
    QVERIFY2(qAbs(poll2 - poll1 - period) < 500, qPrintable(QString::number(poll2 - poll1)));
    QVERIFY(!f.inputLocked());
    QVERIFY(!fx.peer().received().contains("PV1?"));
}

void TestPwmPoll::noPollWithoutPeriod()
{
    WindowFixture fx(iniWithPoll(0));
    FormTavermund &f = fx.start();
    QVERIFY(fx.discover());
    QTest::qWait(3000);
    QVERIFY(!f.StTimer.Enabled());
    QVERIFY(!fx.status().startsWith("STime:"));
    QVERIFY(!fx.peer().received().contains("PV1\r"));
}

void TestPwmPoll::typingAcrossPolls()
{
    // The operator types 42.4 into the duty box while the tool polls every
    // 2 s: one key before the first poll, one inside it, one between the
    // polls and one inside the second. The keys go to the window, as the
    // keyboard would send them, and reach whichever control has the focus.
    WindowFixture fx(iniWithPoll(1));
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
    QStringList faults;
    int pollsSeen = 0;
    connect(&fx.peer(), &PtyPeer::bytesArrived, this, [&] {
        const int polls = int(fx.peer().received().count("1PV1\r"));
        if (polls == pollsSeen)
            return;
        pollsSeen = polls;
        if (!f.inputLocked() || pollsTyped == 2)
            return; // not inside the poll's pause after all; wait for the next
        // Inside the poll: the window refuses clicks, but keeps its focus,
        // cursor and colours.
        const int cursor = box->cursorPosition();
        if (f.focusWidget() != box)
            faults << QStringLiteral("focus lost during poll %1").arg(pollsTyped + 1);
        if (f.ui.lblTemp[1]->grab().toImage() != digits || f.ui.lblTempName[1]->grab().toImage() != caption
            || f.ui.cmd50P->grab().toImage() != button)
            faults << QStringLiteral("colours changed during poll %1").arg(pollsTyped + 1);
        QTest::mouseClick(keyboard, Qt::LeftButton, {}, f.ui.cmd50P->mapTo(&f, f.ui.cmd50P->rect().center()));
        QTest::keyClick(keyboard, inside[pollsTyped]);
        if (box->cursorPosition() != cursor)
            faults << QStringLiteral("a key went in during poll %1").arg(pollsTyped + 1);
        ++pollsTyped;
    });
    QTRY_VERIFY_WITH_TIMEOUT(pollsTyped == 1, 6000);
    QTRY_COMPARE(box->text(), QStringLiteral("42"));
    QTest::keyClick(keyboard, Qt::Key_Period);
    QTRY_VERIFY_WITH_TIMEOUT(pollsTyped == 2, 6000);
    QTRY_COMPARE(box->text(), QStringLiteral("42.4"));
    QCOMPARE(faults, QStringList());
    QCOMPARE(f.focusWidget(), box);
    QCOMPARE(f.ui.lblTempName[1]->grab().toImage(), caption);
    QVERIFY(!fx.peer().received().contains("1SV1=50"));

    fx.peer().clearReceived();
    QTest::mouseClick(keyboard, Qt::LeftButton, {}, f.ui.cmdSV01->mapTo(&f, f.ui.cmdSV01->rect().center()));
    QTRY_VERIFY(fx.peer().received().contains("1SV1=42\r"));
    QCOMPARE(fx.peer().received().count("1SV1="), 1);
    // The click refused during the polls works outside them.
    QTest::mouseClick(keyboard, Qt::LeftButton, {}, f.ui.cmd50P->mapTo(&f, f.ui.cmd50P->rect().center()));
    QTRY_VERIFY(fx.peer().received().contains("1SV1=50\r"));
}

void TestPwmPoll::setStopsThePoll()
{
    WindowFixture fx(iniWithPoll(1));
    FormTavermund &f = fx.start();
    QVERIFY(fx.discoverAndReadBack());
    QTRY_VERIFY_WITH_TIMEOUT(fx.peer().received().contains("1PV1\r"), 4000);
    QTest::mouseClick(f.ui.cmdSet, Qt::LeftButton);
    fx.peer().clearReceived();
    f.setStatus("panel open");
    QTest::qWait(3000);
    QVERIFY(fx.peer().received().isEmpty());
    QCOMPARE(fx.status(), QStringLiteral("panel open"));
    // SAVE-CLOSE restarts the link; the poll comes back after discovery.
    QTest::mouseClick(f.ui.cmdExit, Qt::LeftButton);
    QVERIFY(!f.StTimer.Enabled());
    QVERIFY(fx.discover());
    QVERIFY(f.StTimer.Enabled());
    QTRY_VERIFY_WITH_TIMEOUT(fx.peer().received().contains("1PV1\r"), 4000);
}

void TestPwmPoll::pollFailureRecoversByItself()
{
    WindowFixture fx(iniWithPoll(1));
    FormTavermund &f = fx.start();
    QVERIFY(fx.discoverAndReadBack());
    QTRY_VERIFY_WITH_TIMEOUT(fx.peer().received().contains("1PV1\r"), 4000);
    fx.peer().hangUp(); // the adapter is pulled out
    QTRY_VERIFY_WITH_TIMEOUT(fx.status().startsWith("COM Port comm-error! "), 4000);
    QCOMPARE(fx.statusBack(), 0x8080FFu);
    QVERIFY(!f.inputLocked());
    QVERIFY(!f.StTimer.Enabled());
    QVERIFY(f.Timer1.Enabled());
    QVERIFY(fx.asked.isEmpty());

    // It is plugged back in and shows up under the same com1 link.
    PtyPeer replugged;
    QVERIFY(replugged.linkAs(fx.dir().linkPath(1)));
    QTRY_VERIFY_WITH_TIMEOUT(replugged.received().contains("\r1BS?\r"), 5000);
    replugged.write("1BSok\r");
    QTRY_COMPARE(fx.status(), QStringLiteral("Found: 1BSok"));
    QTRY_VERIFY_WITH_TIMEOUT(replugged.received().contains("1SV2\r"), 4000);
    QTRY_VERIFY_WITH_TIMEOUT(replugged.received().contains("1PV1\r"), 4000);
}

QTEST_MAIN(TestPwmPoll)
#include "tst_pwm_poll.moc"
