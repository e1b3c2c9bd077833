// The search and the receive path without the window: LinkSession on a
// serial component whose port is a pseudo-terminal.

#include "StationFixture.h"

#include <QLocale>
#include <QTest>

class TestLinkSession : public QObject
{
    Q_OBJECT

private slots:
    void searchAttempt_data()
    {
        QTest::addColumn<QString>("id");
        QTest::addColumn<QByteArray>("request");
        QTest::newRow("1") << "1" << QByteArray::fromHex("0d3142533f0d");
        QTest::newRow("A") << "A" << QByteArray::fromHex("0d4142533f0d");
        QTest::newRow("empty") << "" << QByteArray::fromHex("0d42533f0d");
    }
    void searchAttempt()
    {
        QFETCH(QString, id);
        QFETCH(QByteArray, request);
        StationFixture s(false);
        s.probe.state().settings.deviceId = id;
        s.probe.state().settings.baudRate = QStringLiteral("19200");
        StationProbe::tick(s.probe.Timer1());
        QCOMPARE(s.log, (QStringList{"#C0FFFF", "Searching for uc code..."}));
        QVERIFY(s.probe.TimerCom().Enabled() && s.probe.MSComm1().PortOpen());
        QCOMPARE(s.probe.MSComm1().Settings(), QStringLiteral("19200,N,8,1"));
        QTRY_COMPARE(s.peer.received(), request);
        // A port already open is not opened again; the request goes again.
        StationProbe::tick(s.probe.Timer1());
        QTRY_COMPARE(s.peer.received(), request + request);
    }

    void replyTimeout()
    {
        StationFixture s;
        s.probe.Timer1().setEnabled(true);
        s.probe.TimerCom().setEnabled(true);
        StationProbe::tick(s.probe.TimerCom());
        QCOMPARE(s.log, (QStringList{"#8080FF", "No response!"}));
        QVERIFY(!s.probe.TimerCom().Enabled() && s.probe.Timer1().Enabled());
    }

    void replies_data()
    {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<QStringList>("then");  // what follows the line on the status line
        QTest::addColumn<float>("value");       // the reported value stored
        QTest::newRow("found") << QByteArray("1BSok") << QStringList{"Found: 1BSok", "#00C000", "found"} << 0.f;
        QTest::newRow("another device") << QByteArray("2BSok") << QStringList() << 0.f;
        QTest::newRow("duty 37.5") << QByteArray("1SV1=37.5") << QStringList{"duty 37.5"} << 37.5f;
        QTest::newRow("duty 1e10") << QByteArray("1SV1=1e10") << QStringList{"duty 1E+10"} << 1e10f;
        QTest::newRow("duty 0.00001") << QByteArray("1SV1=0.00001") << QStringList{"duty 1E-05"} << 1e-5f;
        QTest::newRow("duty 3.14159265") << QByteArray("1SV1=3.14159265") << QStringList{"duty 3.141593"} << 3.14159265f;
        QTest::newRow("duty beyond single") << QByteArray("1SV1=1e39") << QStringList{"???"} << 0.f;
        QTest::newRow("frequency 3") << QByteArray("1SV2=3") << QStringList{"frequency 3"} << 3.f;
        QTest::newRow("frequency 8") << QByteArray("1SV2=8") << QStringList{"frequency 0"} << 8.f;
        QTest::newRow("overlong") << "1SV1=" + QByteArray(40000, '7') << QStringList{"???"} << 0.f;
    }
    void replies()
    {
        QFETCH(QByteArray, line);
        QFETCH(QStringList, then);
        QFETCH(float, value);
        StationFixture s(true, QStringLiteral("Tavermund"), Intervals{}); // nothing ticks meanwhile
        s.probe.Timer1().setEnabled(true);
        s.probe.TimerCom().setEnabled(true);
        s.peer.write(line + "\r");
        // A line longer than the limit is shown as far as it was kept.
        const QString shown = QString::fromLatin1(line.left(LineAssembler::MaxLength));
        QTRY_COMPARE(s.log, QStringList({"#C0FFC0", "COM:1 Baud:9600 COM data: " + shown}) + then);
        QVERIFY(!s.probe.TimerCom().Enabled()); // any line ends the time-out
        QCOMPARE(s.probe.Timer1().Enabled(), !then.contains("found"));
        QCOMPARE(s.probe.state().replies.reportedValues[line.startsWith("1SV2=") ? 2 : 1], value);
    }

    void decimalComma()
    {
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        StationFixture s;
        s.peer.write("1SV1=37.5\r"); // the device always sends a point
        QTRY_COMPARE(s.log.value(2), QStringLiteral("duty 37,5"));
        QLocale::setDefault(QLocale::c());
    }

    void captionFollowsTheSettings()
    {
        // The caption names the port and baud rate in force for each line.
        StationFixture s;
        s.peer.write("x\r");
        QTRY_COMPARE(s.log.value(1), QStringLiteral("COM:1 Baud:9600 COM data: x"));
        for (const auto &[port, baud] : {std::pair{3, "9600"}, std::pair{3, "19200"}}) {
            s.probe.state().settings.commPort = std::int16_t(port);
            s.probe.state().settings.baudRate = QString::fromLatin1(baud);
            s.log.clear();
            s.peer.write("y\r");
            QTRY_COMPARE(s.log.value(1), QStringLiteral("COM:%1 Baud:%2 COM data: y").arg(port).arg(baud));
        }
    }
    void lostDevice_data()
    {
        QTest::addColumn<bool>("editing");
        QTest::addColumn<bool>("found"); // the board answered a moment ago: the read-back is under way
        QTest::addColumn<bool>("step");  // ...and its second step falls due as the adapter goes
        QTest::newRow("panel closed") << false << false << false;
        // A restart would reload the panel over the operator's edits; its
        // SAVE-CLOSE restarts the link.
        QTest::newRow("panel open") << true << false << false;
        // Nothing of the read-back goes out on the closed port, so nobody
        // is asked whether to go on.
        QTest::newRow("inside the read-back") << false << true << false;
        QTest::newRow("a read-back step due") << false << true << true;
    }
    void lostDevice()
    {
        QFETCH(bool, editing);
        QFETCH(bool, found);
        QFETCH(bool, step);
        StationFixture s(true, QStringLiteral("Tavermund"), Intervals{});
        if (editing)
            s.station.openSettings();
        s.probe.StTimer().setEnabled(true);
        if (found) {
            s.peer.write("1BSok\r");
            QTRY_VERIFY(s.probe.Timer2().Enabled());
            if (step)
                StationProbe::tick(s.probe.Timer2());
        }
        s.log.clear();
        s.peer.hangUp(); // the adapter is pulled out
        if (step)
            StationProbe::tick(s.probe.Timer2());
        // The bench recovers (told with the port closed) before the error is shown.
        const QStringList restart{"loaded", "#C0FFFF", "wait..."};
        const QStringList lost{"lost, port closed", "#8080FF"};
        QTRY_COMPARE(s.log, QStringList{"unlock"} + (editing ? QStringList() : restart) + lost
                                + QStringList{QStringLiteral("COM Port comm-error! %1").arg(s.lostWith)});
        QVERIFY(s.lostWith != 0);
        QVERIFY(!s.probe.StTimer().Enabled() && !s.probe.Timer2().Enabled());
        QCOMPARE(s.probe.Timer1().Enabled(), !editing);
        QVERIFY(s.asked.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestLinkSession)
#include "tst_linksession.moc"
