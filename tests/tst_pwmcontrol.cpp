// The operator's PWM commands, the read-back and the poll without the
// window: PwmControl and its command sender on a serial component whose
// port is a pseudo-terminal.

#include "StationFixture.h"

#include <QSignalSpy>
#include <QTest>

class TestPwmControl : public QObject
{
    Q_OBJECT

private slots:
    void buttons_data()
    {
        QTest::addColumn<int>("button"); // 0, 50, 100: duty presets; 1..7: frequencies; -1, -2: queries
        QTest::addColumn<QByteArray>("bytes");
        for (int v : {0, 50, 100})
            QTest::addRow("%d%%", v) << v << "1SV1=" + QByteArray::number(v) + "\rPV1?\r";
        for (int k = 1; k <= 7; ++k)
            QTest::addRow("frequency %d", k) << k << "1SV2=" + QByteArray::number(k) + "\r";
        QTest::newRow("duty query") << -1 << QByteArray("1SV1\r");
        QTest::newRow("frequency query") << -2 << QByteArray("1SV2\r");
    }
    void buttons()
    {
        QFETCH(int, button);
        QFETCH(QByteArray, bytes);
        StationFixture s;
        switch (button) {
        case 0: case 50: case 100: s.station.pressDuty(button); break;
        case -1: s.station.askDuty(); break;
        case -2: s.station.askFrequency(); break;
        default: s.station.pressFrequency(button);
        }
        QTRY_COMPARE(s.peer.received(), bytes);
    }

    void replyDuringThePause()
    {
        // The pause after a command runs the event loop: the board's answer
        // is handled before the button's handler returns.
        StationFixture s(true, QStringLiteral("Tavermund"), Intervals{});
        QObject::connect(&s.peer, &PtyPeer::bytesArrived, [&s] {
            if (s.peer.received() == "1SV2=4\r")
                s.peer.write("1SV2=4\r");
        });
        QSignalSpy matched(&s.station, &BenchStation::replyMatched);
        s.station.pressFrequency(4);
        QCOMPARE(matched.value(0).value(2).toString(), QStringLiteral("1SV2=4"));
    }

    void typedDuty_data()
    {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<QByteArray>("sent"); // empty: refused
        QTest::newRow("blank 007 blank") << " 007 " << QByteArray("1SV1=7\r");
        QTest::newRow("0") << "0" << QByteArray("1SV1=0\r");
        QTest::newRow("99.5 up") << "99.5" << QByteArray("1SV1=100\r");
        QTest::newRow("100.5 down") << "100.5" << QByteArray("1SV1=100\r");
        QTest::newRow("101") << "101" << QByteArray();
        QTest::newRow("-1") << "-1" << QByteArray();
        QTest::newRow("error") << "error" << QByteArray();
    }
    void typedDuty()
    {
        QFETCH(QString, entry);
        QFETCH(QByteArray, sent);
        StationFixture s;
        QSignalSpy issued(&s.station, &BenchStation::commandIssued);
        s.station.sendDuty(entry);
        QCOMPARE(s.log, sent.isEmpty() ? QStringList{"box error"} : QStringList());
        QCOMPARE(issued.size(), sent.isEmpty() ? 0 : 1); // refused: nothing goes out, now or later
        QTRY_COMPARE(s.peer.received(), sent);
    }

    void readBack()
    {
        StationFixture s(true, QStringLiteral("Tavermund"), Intervals{}); // the test ticks Timer2 itself
        WindowTimer &timer2 = s.probe.Timer2();
        for (int discovery = 0; discovery < 2; ++discovery) {
            // Every discovery runs the read-back afresh.
            s.peer.write("1BSok\r");
            QTRY_VERIFY(timer2.Enabled());
            s.log.clear();
            s.peer.clearReceived();
            StationProbe::tick(timer2);
            QCOMPARE(s.log.value(0), "enabled"); // usable before the first query goes out
            QTRY_COMPARE(s.peer.received(), QByteArray("1SV1\r"));
            StationProbe::tick(timer2);
            QTRY_COMPARE(s.peer.received(), QByteArray("1SV1\r1SV2\r"));
            QVERIFY(!timer2.Enabled());
            StationProbe::tick(timer2); // a late tick does nothing more
            QCOMPARE(s.log.count("read back"), 1);
        }
    }

    void pollCadence_data()
    {
        QTest::addColumn<int>("sampleTime");
        QTest::addColumn<QString>("ticks"); // the count each tick shows, '*' where it polls
        // The count starts at sampleTime - 1, as the identification reply sets it.
        QTest::newRow("no period") << 0 << "";
        QTest::newRow("1") << 1 << "0 1* 0 1*";
        QTest::newRow("3") << 3 << "2 3* 0 1 2 3*";
        // At the top of the 16-bit range it still polls, and nothing overflows.
        QTest::newRow("32767") << 32767 << "32766 32767* 0";
    }
    void pollCadence()
    {
        QFETCH(int, sampleTime);
        QFETCH(QString, ticks);
        StationFixture s;
        s.probe.state().settings.sampleTime = std::int16_t(sampleTime);
        s.peer.write("1BSok\r");
        QTRY_VERIFY(s.log.contains("found"));
        QCOMPARE(s.probe.StTimer().Enabled(), sampleTime > 0);
        s.station.openSettings(); // stops the poll
        QVERIFY(!s.probe.StTimer().Enabled());
        s.probe.Timer2().setEnabled(false); // the test ticks alone
        s.peer.clearReceived();
        s.log.clear();
        QObject::connect(&s.peer, &PtyPeer::bytesArrived, [&] { s.log << "wire"; });
        QStringList seen;
        for (qsizetype tick = 0; sampleTime > 0 && tick <= ticks.count(u' '); ++tick) {
            const qsizetype polls = s.log.count("lock");
            StationProbe::tick(s.probe.StTimer());
            seen << s.log.filter("STime:").last().section(u':', 2) + (s.log.count("lock") > polls ? "*" : "");
        }
        QCOMPARE(seen.join(u' '), ticks);
        QTRY_COMPARE(s.peer.received(), QByteArray("1PV1\r").repeated(int(ticks.count(u'*'))));
        // The window is locked from before the poll is written until its pause is over.
        const qsizetype lock = s.log.indexOf("lock");
        QCOMPARE(s.log.mid(lock, 3), (sampleTime > 0 ? QStringList{"lock", "wire", "unlock"} : QStringList()));
    }

    void pollOnALostPort()
    {
        StationFixture s(false);
        s.probe.state().settings.sampleTime = 1;
        s.probe.state().pwm.pollCount = 1;
        StationProbe::tick(s.probe.StTimer());
        // The device is taken for lost: the recovery takes the lock off and
        // restarts the link; nobody is asked.
        QCOMPARE(s.log.mid(0, 3), (QStringList{"STime:1 STimer:1", "lock", "unlock"}));
        QVERIFY(s.log.contains("lost, port closed") && s.probe.Timer1().Enabled());
        QCOMPARE(s.lostWith, 8018);
        QVERIFY(s.asked.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestPwmControl)
#include "tst_pwmcontrol.moc"
