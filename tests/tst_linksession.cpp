// The search and the receive path without the window: LinkSession on a
// serial component whose port is a pseudo-terminal.

#include "PortRig.h"
#include "link/LinkSession.h"
#include "link/ReplyState.h"
#include "settings/SettingsValues.h"
#include "toolkit/WindowTimer.h"

#include <QLocale>
#include <QSignalSpy>
#include <QTest>

using namespace std::chrono_literals;

namespace {

struct Session : PortRig
{
    SettingsValues settings;
    ReplyState state;
    WindowTimer retry{QStringLiteral("Timer1"), 250ms};
    WindowTimer timeout{QStringLiteral("TimerCom"), 500ms};
    LinkSession link{comm, settings, state, retry, timeout};
    QString duty;
    int button = -1;

    explicit Session(bool open = true)
        : PortRig(open)
    {
        record(&link);
        QObject::connect(&comm, &SerialComponent::OnComm, &link, &LinkSession::MSComm1_OnComm);
        QObject::connect(&comm, &SerialComponent::PortLost, &link, &LinkSession::recoverLostDevice);
        QObject::connect(&link, &LinkSession::dutyShown, [this](const QString &t) { duty = t; });
        QObject::connect(&link, &LinkSession::frequencyShown, [this](int k) { button = k; });
    }
};

} // namespace

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
        Session s(false);
        s.settings.deviceId = id;
        s.settings.baudRate = QStringLiteral("19200");
        s.link.cmdInicijalizacija_Click();
        QCOMPARE(s.log, (QStringList{"#C0FFFF", "Searching for uc code..."}));
        QVERIFY(s.timeout.Enabled());
        QVERIFY(s.comm.PortOpen());
        QCOMPARE(s.comm.Settings(), QStringLiteral("19200,N,8,1"));
        QTRY_COMPARE(s.peer.received(), request);
        // A port already open is not opened again; the request goes again.
        s.link.cmdInicijalizacija_Click();
        QTRY_COMPARE(s.peer.received(), request + request);
    }
    void replyTimeout()
    {
        Session s;
        s.retry.setEnabled(true);
        s.timeout.setEnabled(true);
        s.link.TimerCom_Timer();
        QCOMPARE(s.log, (QStringList{"#8080FF", "No response!"}));
        QVERIFY(!s.timeout.Enabled());
        QVERIFY(s.retry.Enabled());
    }
    void replies_data()
    {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<bool>("found");
        QTest::addColumn<bool>("failed"); // "???" after the line
        QTest::addColumn<QString>("duty"); // what the duty display is given; empty: nothing
        QTest::addColumn<int>("button");   // the frequency button to highlight; -1: not touched
        QTest::addColumn<float>("value");  // what is stored as the reported value
        QTest::newRow("found") << QByteArray("1BSok") << true << false << "" << -1 << 0.f;
        QTest::newRow("other device") << QByteArray("2BSok") << false << false << "" << -1 << 0.f;
        QTest::newRow("duty 37.5") << QByteArray("1SV1=37.5") << false << false << "37.5" << -1 << 37.5f;
        QTest::newRow("duty 1e10") << QByteArray("1SV1=1e10") << false << false << "1E+10" << -1 << 1e10f;
        QTest::newRow("duty 0.00001") << QByteArray("1SV1=0.00001") << false << false << "1E-05" << -1 << 1e-5f;
        QTest::newRow("duty 3.14159265") << QByteArray("1SV1=3.14159265") << false << false << "3.141593" << -1 << 3.14159265f;
        QTest::newRow("duty beyond single") << QByteArray("1SV1=1e39") << false << true << "" << -1 << 0.f;
        QTest::newRow("frequency 3") << QByteArray("1SV2=3") << false << false << "" << 3 << 3.f;
        QTest::newRow("frequency 8") << QByteArray("1SV2=8") << false << false << "" << 0 << 8.f;
        QTest::newRow("overlong") << "1SV1=" + QByteArray(40000, '7') << false << true << "" << -1 << 0.f;
    }
    void replies()
    {
        QFETCH(QByteArray, line);
        QFETCH(bool, found);
        QFETCH(bool, failed);
        QFETCH(QString, duty);
        QFETCH(int, button);
        QFETCH(float, value);
        Session s;
        QSignalSpy discovered(&s.link, &LinkSession::deviceFound);
        s.retry.setEnabled(true);
        s.timeout.setEnabled(true);
        s.peer.write(line + "\r");
        // A line longer than the limit is shown as far as it was kept.
        const QByteArray kept = line.left(LineAssembler::MaxLength);
        QStringList expected{"#C0FFC0", QStringLiteral("COM:1 Baud:9600 COM data: ") + QString::fromLatin1(kept)};
        if (found)
            expected << "Found: 1BSok" << "#00C000";
        if (failed)
            expected << "???";
        QTRY_COMPARE(s.log, expected);
        QVERIFY(!s.timeout.Enabled()); // any line ends the time-out
        QCOMPARE(s.retry.Enabled(), !found);
        QCOMPARE(discovered.count(), found ? 1 : 0);
        QCOMPARE(s.duty, duty);
        QCOMPARE(s.button, button);
        QCOMPARE(s.state.reportedValues[line.startsWith("1SV2=") ? 2 : 1], value);
    }
    void decimalComma()
    {
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        Session s;
        s.peer.write("1SV1=37.5\r"); // the device always sends a point
        QTRY_COMPARE(s.duty, QStringLiteral("37,5"));
        QLocale::setDefault(QLocale::c());
    }
    void lostDevice()
    {
        Session s;
        int lostWith = 0;
        bool openWhenLost = true;
        QStringList shownWhenLost{"?"};
        QObject::connect(&s.link, &LinkSession::deviceLost, [&](int error) {
            lostWith = error;
            openWhenLost = s.comm.PortOpen();
            shownWhenLost = s.log;
        });
        s.peer.hangUp(); // the adapter is pulled out
        QTRY_COMPARE(s.log.size(), 2);
        QVERIFY(lostWith != 0);
        QVERIFY(!openWhenLost);
        QCOMPARE(shownWhenLost, QStringList()); // the window recovers before the error is shown
        QCOMPARE(s.log, (QStringList{"#8080FF", QStringLiteral("COM Port comm-error! %1").arg(lostWith)}));
    }
};

QTEST_GUILESS_MAIN(TestLinkSession)
#include "tst_linksession.moc"
