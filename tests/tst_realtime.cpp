// The one test on the real clock: the search retry (2.5 s), the reply
// time-out (5 s), the read-back steps (800 ms), the poll tick (1 s) and the
// pacing pause (50 ms), measured on the wire with tolerances that hold on a
// loaded machine. Everything else runs on a compressed clock.

#include "WindowFixture.h"

#include <QApplication>
#include <QLabel>
#include <QTest>

class TestRealTime : public QObject
{
    Q_OBJECT

private slots:
    void intervals()
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
        QObject::connect(&f, &FormTavermund::statusShown, [&](const QString &s) {
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
        f.pwm().cmd50P_Click();
        const qint64 handler = clock.elapsed();
        QTRY_VERIFY(peer.received().contains("PV1?\r"));
        const qint64 apart = peer.arrivalOf("PV1?\r") - peer.arrivalOf("1SV1=50\r");
        QVERIFY2(near(apart, 50, 5, 450), qPrintable(QString::number(apart)));
        QVERIFY2(handler >= 100, qPrintable(QString::number(handler)));
    }
};

QTEST_MAIN(TestRealTime)
#include "tst_realtime.moc"
