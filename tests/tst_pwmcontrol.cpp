// The operator's PWM commands, the read-back, the poll and the send step
// without the window: PwmControl and CommandSender on a serial component
// whose port is a pseudo-terminal.

#include "PortRig.h"
#include "link/CommandSender.h"
#include "pwm/PwmControl.h"
#include "pwm/PwmState.h"
#include "settings/SettingsValues.h"
#include "toolkit/WindowTimer.h"

#include <QSignalSpy>
#include <QTest>

using namespace std::chrono_literals;

namespace {

struct Pwm : PortRig
{
    SettingsValues settings;
    PwmState state;
    QString pendingCommand;
    WindowTimer readBack{QStringLiteral("Timer2"), 80ms};
    WindowTimer pollTick{QStringLiteral("StTimer"), 100ms};
    CommandSender sender{comm, pendingCommand, ask, 5ms};
    PwmControl pwm{sender, comm, settings, state, readBack, pollTick};
    QStringList events; // locks, controls enabled, the duty box, bytes as they arrive

    explicit Pwm(bool open = true)
        : PortRig(open)
    {
        record(&pwm);
        QObject::connect(&pwm, &PwmControl::inputLockChanged, [this](bool on) { events << (on ? "lock" : "unlock"); });
        QObject::connect(&pwm, &PwmControl::controlsEnabled, [this] { events << "enabled"; });
        QObject::connect(&pwm, &PwmControl::dutyEntryChanged, [this](const QString &t) { events << "box " + t; });
        QObject::connect(&peer, &PtyPeer::bytesArrived, [this] { events << "wire"; });
    }
};

} // namespace

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
        Pwm p;
        switch (button) {
        case 0: p.pwm.cmd0P_Click(); break;
        case 50: p.pwm.cmd50P_Click(); break;
        case 100: p.pwm.cmd100P_Click(); break;
        case -1: p.pwm.cmdPV01_Click(); break;
        case -2: p.pwm.cmdSV02_Click(); break;
        default: p.pwm.cmdFpwm_Click(button);
        }
        QTRY_COMPARE(p.peer.received(), bytes);
        QCOMPARE(p.pendingCommand, QString::fromLatin1(bytes.chopped(1).split('\r').last()));
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
        Pwm p;
        p.pwm.cmdSV01_Click(entry);
        if (sent.isEmpty()) {
            QCOMPARE(p.events, QStringList{"box error"});
            QCOMPARE(p.pendingCommand, QString()); // no send step at all
            return;
        }
        QTRY_COMPARE(p.peer.received(), sent);
        QVERIFY(!p.events.contains("box error"));
    }
    void readBack()
    {
        Pwm p;
        p.pwm.startAfterDiscovery();
        QVERIFY(p.readBack.Enabled());
        p.pwm.Timer2_Timer();
        QCOMPARE(p.events.value(0), QStringLiteral("enabled")); // usable before the first query goes out
        QTRY_COMPARE(p.peer.received(), QByteArray("1SV1\r"));
        QVERIFY(p.readBack.Enabled());
        p.pwm.Timer2_Timer();
        QTRY_COMPARE(p.peer.received(), QByteArray("1SV1\r1SV2\r"));
        QVERIFY(!p.readBack.Enabled());
        p.pwm.Timer2_Timer(); // a late tick does nothing more
        QCOMPARE(p.state.queryStep, std::int16_t(3));
        // Every discovery runs the read-back afresh.
        p.pwm.startAfterDiscovery();
        QCOMPARE(p.state.queryStep, std::int16_t(0));
        QCOMPARE(p.events.count("enabled"), 1);
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
        Pwm p;
        p.settings.sampleTime = std::int16_t(sampleTime);
        p.pwm.startAfterDiscovery();
        QCOMPARE(p.pollTick.Enabled(), sampleTime > 0);
        p.pwm.stopPolling();
        QVERIFY(!p.pollTick.Enabled());
        if (sampleTime <= 0)
            return;
        QStringList seen;
        for (qsizetype tick = 0; tick <= ticks.count(u' '); ++tick) {
            const qsizetype polls = p.events.count("lock");
            p.pwm.StTimer_Timer();
            seen << p.log.last().section(u':', 2) + (p.events.count("lock") > polls ? "*" : "");
        }
        QCOMPARE(seen.join(u' '), ticks);
        QCOMPARE(p.log.first(), QStringLiteral("STime:%1 STimer:%2").arg(sampleTime).arg(sampleTime - 1));
        QTRY_COMPARE(p.peer.received(), QByteArray("1PV1\r").repeated(int(ticks.count(u'*'))));
        // The window is locked from before the poll is written until its pause is over.
        QCOMPARE(p.events.mid(0, 3), (QStringList{"lock", "wire", "unlock"}));
    }
    void pollOnALostPort()
    {
        Pwm p(false);
        p.settings.sampleTime = 1;
        p.state.pollCount = 1;
        QSignalSpy failed(&p.pwm, &PwmControl::pollFailed);
        p.pwm.StTimer_Timer();
        QCOMPARE(failed.count(), 1);
        QCOMPARE(failed[0][0].toInt(), 8018);
        QCOMPARE(p.events, QStringList{"lock"}); // the recovery unlocks
        QVERIFY(p.asked.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestPwmControl)
#include "tst_pwmcontrol.moc"
