// End to end: the device search against a real pseudo-terminal - the first
// request's timing and bytes, the retries, "No response!", and a device that
// is unplugged. Missing and busy ports are in the fault suite.

#include "CpuTime.h"
#include "ui/BgrColor.h"
#include "WindowFixture.h"

#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>


namespace {

const QByteArray Search1 = QByteArray::fromHex("0d3142533f0d");

} // namespace

class TestLinkSearch : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void firstRequestAfterOneInterval();
    void retriesAndNoResponseIsSeen();
    void requestCarriesTheDeviceId_data();
    void requestCarriesTheDeviceId();
    void unpluggedDeviceClosesThePortWithoutSpinning();
    void unplugWhileEditingSettingsKeepsTheEntries();
};

void TestLinkSearch::initTestCase()
{
    QApplication::setStyle(QStringLiteral("Fusion"));
}

void TestLinkSearch::firstRequestAfterOneInterval()
{
    WindowFixture fx;
    const qint64 started = fx.peer().elapsedMs();
    FormTavermund &f = fx.start();
    QTest::qWait(2000);
    QVERIFY2(fx.peer().received().isEmpty(), "nothing is sent before the first tick");
    QCOMPARE(fx.status(), QStringLiteral("wait..."));
    QTRY_VERIFY_WITH_TIMEOUT(fx.peer().received().size() >= Search1.size(), 4000);
    QCOMPARE(fx.peer().received(), Search1);
    const qint64 after = fx.peer().arrivalOf(Search1) - started;
    QVERIFY2(after >= 2450 && after < 3500, qPrintable(QString::number(after)));
    QCOMPARE(fx.status(), QStringLiteral("Searching for uc code..."));
    QCOMPARE(fx.statusBack(), 0xC0FFFFu);
    QVERIFY(f.TimerCom.Enabled());
    QVERIFY(f.MSComm1.PortOpen());
}

void TestLinkSearch::retriesAndNoResponseIsSeen()
{
    // A device that never answers: an attempt every 2.5 s, and the 5 s
    // time-out - due together with every second attempt - leaves
    // "No response!" on light red until the next attempt.
    WindowFixture fx;
    FormTavermund &f = fx.start();
    QTRY_VERIFY_WITH_TIMEOUT(fx.status() == QStringLiteral("No response!"), 9500);
    const qint64 shownAt = fx.peer().elapsedMs();
    QCOMPARE(fx.statusBack(), 0x8080FFu);
    QCOMPARE(fx.statusPixel(), 0x8080FFu);
    QVERIFY(!f.TimerCom.Enabled());
    QVERIFY(f.Timer1.Enabled());
    QTest::qWait(1500);
    QCOMPARE(fx.status(), QStringLiteral("No response!"));
    QCOMPARE(fx.statusPixel(), 0x8080FFu);

    QTRY_VERIFY_WITH_TIMEOUT(fx.peer().received().count(Search1) >= 4, 4000);
    QCOMPARE(fx.status(), QStringLiteral("Searching for uc code..."));
    QCOMPARE(fx.peer().received(), Search1.repeated(4));

    // The attempts keep their 2.5 s rhythm.
    QList<qint64> at;
    for (qsizetype from = 0; (from = fx.peer().received().indexOf(Search1, from)) >= 0; from += Search1.size())
        at << fx.peer().arrivalOf(Search1, from);
    for (int i = 1; i < at.size(); ++i)
        QVERIFY2(qAbs(at[i] - at[i - 1] - 2500) < 400, qPrintable(QString::number(at[i] - at[i - 1])));
    // Shown together with the third attempt (5 s after the first), and left
    // standing until the fourth.
    QVERIFY2(shownAt >= at[2] - 100 && shownAt < at[3],
             qPrintable(QStringLiteral("shown at %1, attempts at %2 and %3").arg(shownAt).arg(at[2]).arg(at[3])));
}

void TestLinkSearch::requestCarriesTheDeviceId_data()
{
    QTest::addColumn<QByteArray>("id");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("A") << QByteArray("A") << QByteArray::fromHex("0d4142533f0d");
    QTest::newRow("empty") << QByteArray("") << QByteArray::fromHex("0d42533f0d");
}

void TestLinkSearch::requestCarriesTheDeviceId()
{
    QFETCH(QByteArray, id);
    QFETCH(QByteArray, bytes);
    WindowFixture fx("1,\"9600\",\"" + id + "\",0,\"-\"\r\n\"a\",\"b\",\"c\",\"d\"\r\n");
    fx.start();
    QTRY_COMPARE_WITH_TIMEOUT(fx.peer().received(), bytes, 4000);
}

void TestLinkSearch::unpluggedDeviceClosesThePortWithoutSpinning()
{
    WindowFixture fx;
    FormTavermund &f = fx.start();
    QVERIFY(fx.discover());
    QTRY_VERIFY(fx.peer().received().contains("1SV2\r")); // the read-back has run
    QTest::qWait(200);
    fx.peer().hangUp();
    QTRY_VERIFY_WITH_TIMEOUT(!f.MSComm1.PortOpen(), 3000);
    // Told on the status line, and the search starts again by itself.
    QVERIFY2(fx.status().startsWith(QStringLiteral("COM Port comm-error! ")), qPrintable(fx.status()));
    QCOMPARE(fx.statusBack(), 0x8080FFu);
    QVERIFY(f.Timer1.Enabled());

    const double before = cpuSeconds();
    QTest::qWait(2000);
    const double used = cpuSeconds() - before;
    QVERIFY2(used < 0.2, qPrintable(QStringLiteral("%1 s of CPU in 2 s after the hang-up").arg(used)));
    QVERIFY(!f.inputLocked());

    // A command meanwhile fails into the failed-send box.
    f.st.pendingCommand = "1SV1";
    f.sender().SendAction();
    QCOMPARE(fx.asked.size(), 1);
    QCOMPARE(fx.asked[0].style, 276);

    // Plugged back in under the same link: found again without a click.
    PtyPeer replugged;
    QVERIFY(replugged.linkAs(fx.dir().linkPath(1)));
    QTRY_VERIFY_WITH_TIMEOUT(replugged.received().contains("\r1BS?\r"), 4000);
    replugged.write("1BSok\r");
    QTRY_COMPARE(fx.status(), QStringLiteral("Found: 1BSok"));
    QVERIFY(!f.Timer1.Enabled());
}

void TestLinkSearch::unplugWhileEditingSettingsKeepsTheEntries()
{
    WindowFixture fx;
    FormTavermund &f = fx.start();
    QVERIFY(fx.discover());
    f.settings().cmdSet_Click();
    f.ui.txtSet1[2]->setText("19200");
    fx.peer().hangUp();
    QTRY_VERIFY_WITH_TIMEOUT(fx.status().startsWith(QStringLiteral("COM Port comm-error! ")), 3000);
    QCOMPARE(f.ui.txtSet1[2]->text(), QStringLiteral("19200"));
    QVERIFY(f.ui.frmSet->isVisible());
    f.ui.cmdExit->click();
    QVERIFY(fx.dir().readIni().startsWith("1,\"19200\""));
    QVERIFY(f.Timer1.Enabled());
}

QTEST_MAIN(TestLinkSearch)
#include "tst_link_search.moc"
