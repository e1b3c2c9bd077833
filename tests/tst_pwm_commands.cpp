// End to end: the operator's PWM commands and the read-back after
// discovery, checked as bytes on a real pseudo-terminal.

#include "WindowFixture.h"

#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

class TestPwmCommands : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void inertBeforeDiscovery();
    void buttonBytes_data();
    void buttonBytes();
    void dutyPresetIsPaced();
    void typedValue_data();
    void typedValue();
    void readBackTiming();
    void rediscoveryRerunsTheQueries();
    void dutyButtonOnClosedPortDoesNotLock();
};

void TestPwmCommands::initTestCase()
{
    QApplication::setStyle(QStringLiteral("Fusion"));
}

void TestPwmCommands::inertBeforeDiscovery()
{
    WindowFixture fx;
    FormTavermund &f = fx.start();
    QTRY_VERIFY_WITH_TIMEOUT(f.MSComm1.PortOpen(), 4000);
    fx.peer().clearReceived();
    for (QPushButton *b : {f.ui.cmd0P, f.ui.cmd50P, f.ui.cmd100P, f.ui.cmdSV01, f.ui.cmdFpwm[3]})
        QTest::mouseClick(b, Qt::LeftButton);
    QTest::keyClicks(f.ui.txtSV01, "55");
    QTest::qWait(200);
    QVERIFY(fx.peer().received().isEmpty());
    QCOMPARE(f.ui.txtSV01->text(), QStringLiteral("10"));
    QVERIFY(!f.ui.frmTemp[1]->isEnabled());
}

void TestPwmCommands::buttonBytes_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("0%") << "cmd0P" << QByteArray("1SV1=0\rPV1?\r");
    QTest::newRow("50%") << "cmd50P" << QByteArray("1SV1=50\rPV1?\r");
    QTest::newRow("100%") << "cmd100P" << QByteArray("1SV1=100\rPV1?\r");
    const char *captions[] = {"31372", "3921", "980", "490", "245", "122", "30.6"};
    for (int k = 1; k <= 7; ++k)
        QTest::newRow(captions[k - 1]) << QStringLiteral("cmdFpwm%1").arg(k) << ("1SV2=" + QByteArray::number(k) + "\r");
}

void TestPwmCommands::buttonBytes()
{
    QFETCH(QString, button);
    QFETCH(QByteArray, bytes);
    static WindowFixture *fx = nullptr; // one discovery serves every row
    if (!fx) {
        fx = new WindowFixture;
        fx->start();
        QVERIFY(fx->discoverAndReadBack());
    }
    fx->peer().clearReceived();
    auto *b = qobject_cast<QPushButton *>(fx->widget(button));
    QVERIFY(b && b->isEnabled());
    const auto colourBefore = b->palette().color(QPalette::Button);
    QTest::mouseClick(b, Qt::LeftButton);
    QTRY_COMPARE(fx->peer().received(), bytes);
    QCOMPARE(b->palette().color(QPalette::Button), colourBefore); // the click colours nothing
    if (QTest::currentDataTag() == QByteArrayLiteral("30.6")) {
        delete fx;
        fx = nullptr;
    }
}

void TestPwmCommands::dutyPresetIsPaced()
{
    WindowFixture fx;
    FormTavermund &f = fx.start();
    QVERIFY(fx.discoverAndReadBack());
    QElapsedTimer clock;
    clock.start();
    QTest::mouseClick(f.ui.cmd50P, Qt::LeftButton);
    const qint64 handler = clock.elapsed(); // the click runs both sends and pauses
    QTRY_COMPARE(fx.peer().received(), QByteArray("1SV1=50\rPV1?\r"));
    const qint64 first = fx.peer().arrivalOf("1SV1=50\r");
    const qint64 second = fx.peer().arrivalOf("PV1?\r");
    QVERIFY2(second - first >= 45, qPrintable(QStringLiteral("%1 ms apart").arg(second - first)));
    QVERIFY2(handler >= 100, qPrintable(QStringLiteral("the click took %1 ms").arg(handler)));
}

void TestPwmCommands::typedValue_data()
{
    QTest::addColumn<QString>("entry");
    QTest::addColumn<QByteArray>("sent");
    QTest::addColumn<QString>("after");
    QTest::newRow("50") << "50" << QByteArray("1SV1=50\r") << "50";
    QTest::newRow("blank 7 blank") << " 7 " << QByteArray("1SV1=7\r") << " 7 ";
    QTest::newRow("007") << "007" << QByteArray("1SV1=7\r") << "007";
    QTest::newRow("0") << "0" << QByteArray("1SV1=0\r") << "0";
    QTest::newRow("100") << "100" << QByteArray("1SV1=100\r") << "100";
    QTest::newRow("99.5 up") << "99.5" << QByteArray("1SV1=100\r") << "99.5";
    QTest::newRow("100.5 down") << "100.5" << QByteArray("1SV1=100\r") << "100.5";
    QTest::newRow("101") << "101" << QByteArray() << "error";
    QTest::newRow("-1") << "-1" << QByteArray() << "error";
    QTest::newRow("40000") << "40000" << QByteArray() << "error";
    QTest::newRow("empty") << "" << QByteArray() << "error";
    QTest::newRow("letters") << "abc" << QByteArray() << "error";
    QTest::newRow("error again") << "error" << QByteArray() << "error";
}

void TestPwmCommands::typedValue()
{
    QFETCH(QString, entry);
    QFETCH(QByteArray, sent);
    QFETCH(QString, after);
    static WindowFixture *fx = nullptr;
    if (!fx) {
        fx = new WindowFixture;
        fx->start();
        QVERIFY(fx->discoverAndReadBack());
    }
    FormTavermund &f = fx->form();
    fx->peer().clearReceived();
    f.ui.txtSV01->setText(entry);
    QTest::mouseClick(f.ui.cmdSV01, Qt::LeftButton);
    QTest::qWait(100);
    QCOMPARE(fx->peer().received(), sent);
    QCOMPARE(f.ui.txtSV01->text(), after);
    if (QTest::currentDataTag() == QByteArrayLiteral("error again")) {
        delete fx;
        fx = nullptr;
    }
}

void TestPwmCommands::readBackTiming()
{
    WindowFixture fx;
    FormTavermund &f = fx.start();
    QTRY_VERIFY_WITH_TIMEOUT(fx.peer().received().contains("BS?\r"), 4000);
    const qint64 found = fx.peer().elapsedMs();
    fx.peer().write("1BSok\r");
    QTRY_VERIFY_WITH_TIMEOUT(fx.peer().received().contains("1SV2\r"), 4000);
    const qint64 duty = fx.peer().arrivalOf("1SV1\r") - found;
    const qint64 frequency = fx.peer().arrivalOf("1SV2\r") - found;
    QVERIFY2(duty >= 800 && duty < 1400, qPrintable(QString::number(duty)));
    QVERIFY2(frequency >= 1600 && frequency < 2300, qPrintable(QString::number(frequency)));
    QVERIFY(f.ui.frmTemp[1]->isEnabled());
    QVERIFY(!f.Timer2.Enabled());
    QCOMPARE(f.st.pwm.queryStep, std::int16_t(2));
    // The replies fill the display.
    fx.peer().write("1SV1=25\r1SV2=5\r");
    QTRY_COMPARE(f.ui.lblTemp[1]->text(), QStringLiteral("25"));
}

void TestPwmCommands::rediscoveryRerunsTheQueries()
{
    WindowFixture fx;
    FormTavermund &f = fx.start();
    QVERIFY(fx.discoverAndReadBack());
    QCOMPARE(f.st.pwm.queryStep, std::int16_t(2));
    f.settings().cmdSet_Click();
    f.ui.cmdExit->click();
    QVERIFY(fx.discover());
    QTRY_VERIFY_WITH_TIMEOUT(fx.peer().received().contains("1SV2\r"), 4000);
    QVERIFY(fx.peer().received().contains("1SV1\r"));
    QTRY_VERIFY(!f.Timer2.Enabled());
    QCOMPARE(f.st.pwm.queryStep, std::int16_t(2));
}

void TestPwmCommands::dutyButtonOnClosedPortDoesNotLock()
{
    WindowFixture fx;
    FormTavermund &f = fx.start();
    QVERIFY(fx.discoverAndReadBack());
    f.MSComm1.setPortOpen(false);
    QTest::mouseClick(f.ui.cmd50P, Qt::LeftButton);
    // Yes to the first box restarts the link and closes the port, so the
    // "PV1?" that follows fails and asks again.
    QCOMPARE(fx.asked.size(), 2);
    QCOMPARE(fx.asked[0].style, 276);
    QCOMPARE(fx.asked[1].style, 276);
    QVERIFY(!f.inputLocked());
    QVERIFY(f.ui.frmTemp[1]->isEnabled());
    QVERIFY(f.Timer1.Enabled());
    QVERIFY(fx.peer().received().isEmpty());
    QTRY_VERIFY_WITH_TIMEOUT(fx.peer().received().contains("\r1BS?\r"), 4000);
}

QTEST_MAIN(TestPwmCommands)
#include "tst_pwm_commands.moc"
