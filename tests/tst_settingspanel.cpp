// The settings panel and the exit box with the real window, offscreen:
// "Set" and "SAVE-CLOSE" round trips through a temporary executable folder,
// refused entries, failed writes, and the answers to the exit box.

#include "settings/SettingsFile.h"
#include "WindowFixture.h"

#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <csignal>
#include <sys/resource.h>

namespace {

const QByteArray DefaultsFile("1,\"9600\",\"1\",0,\"-\"\r\n\"PWM(%):\",\"Label2\",\"nc\",\"nc\"\r\n");

} // namespace

class TestSettingsPanel : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void saveDefaultsWritesExactBytes();
    void handWrittenFileLoadsAndSavesQuoted();
    void comEntryRoundsHalfToEven_data();
    void comEntryRoundsHalfToEven();
    void refusedSettingsFallBack();
    void unconvertibleComEntryKeepsPanel();
    void failedWriteKeepsOldFileAndPanel();
    void copyUnderAnotherName();
    void exitBox_data();
    void exitBox();
    void exitDuringAPauseSendsNothingMore();
};

void TestSettingsPanel::initTestCase()
{
    QApplication::setStyle(QStringLiteral("Fusion"));
}

void TestSettingsPanel::saveDefaultsWritesExactBytes()
{
    WindowFixture fx;
    FormTavermund &f = fx.start();
    f.StTimer.setEnabled(true);
    QTest::mouseClick(f.ui.cmdSet, Qt::LeftButton);
    QVERIFY(f.ui.frmSet->isVisible());
    QVERIFY2(!f.StTimer.Enabled(), "Set stops the poll");
    f.setStatus("something else");
    QTest::mouseClick(f.ui.cmdExit, Qt::LeftButton);
    QCOMPARE(fx.dir().readIni(), DefaultsFile);
    QVERIFY(!f.ui.frmSet->isVisible());
    QCOMPARE(fx.status(), QStringLiteral("wait..."));
    QVERIFY(f.Timer1.Enabled());
    QVERIFY(fx.asked.isEmpty());
}

void TestSettingsPanel::handWrittenFileLoadsAndSavesQuoted()
{
    WindowFixture fx("3, 9600, A, 5, x\r\nP, Q, R, S\r\n", 3);
    FormTavermund &f = fx.start();
    QCOMPARE(f.st.settings.commPort, std::int16_t(3));
    QCOMPARE(f.st.settings.deviceId, QStringLiteral("A"));
    QCOMPARE(f.st.settings.sampleTime, std::int16_t(5));
    QCOMPARE(f.MSComm1.CommPort(), 3);
    QCOMPARE(f.ui.txtSet1[5]->text(), QStringLiteral("x"));
    QCOMPARE(f.ui.lblTempName[1]->text(), QStringLiteral("P"));
    QCOMPARE(f.ui.lblTempName[4]->text(), QStringLiteral("S"));
    f.ui.txtTempName[1]->setText("Duty, %");
    f.ui.cmdExit->click();
    QCOMPARE(fx.dir().readIni(), QByteArray("3,\"9600\",\"A\",5,\"x\"\r\n\"Duty, %\",\"Q\",\"R\",\"S\"\r\n"));
    QCOMPARE(f.ui.lblTempName[1]->text(), QStringLiteral("Duty, %"));
}

void TestSettingsPanel::comEntryRoundsHalfToEven_data()
{
    QTest::addColumn<QString>("entry");
    QTest::addColumn<QByteArray>("line1");
    QTest::newRow("2.5") << "2.5" << QByteArray("2,\"9600\",\"1\",0,\"-\"\r\n");
    QTest::newRow("3.5") << "3.5" << QByteArray("4,\"9600\",\"1\",0,\"-\"\r\n");
    QTest::newRow("blanks") << " 7 " << QByteArray("7,\"9600\",\"1\",0,\"-\"\r\n");
}

void TestSettingsPanel::comEntryRoundsHalfToEven()
{
    QFETCH(QString, entry);
    QFETCH(QByteArray, line1);
    WindowFixture fx;
    FormTavermund &f = fx.start();
    f.settings().cmdSet_Click();
    f.ui.txtSet1[1]->setText(entry);
    f.ui.cmdExit->click();
    QVERIFY(fx.dir().readIni().startsWith(line1));
}

void TestSettingsPanel::refusedSettingsFallBack()
{
    // MSComm1 refuses port 300 and the baud rate "fast": both reloads fall
    // back to the defaults, and the file keeps what was typed.
    WindowFixture fx("300,\"9600\",\"1\",0,\"-\"\r\n\"a\",\"b\",\"c\",\"d\"\r\n");
    FormTavermund &f = fx.start();
    QCOMPARE(f.ui.txtSet1[1]->text(), QStringLiteral("1"));
    QCOMPARE(f.ui.lblTempName[1]->text(), QStringLiteral("PWM(%):"));
    QCOMPARE(f.MSComm1.CommPort(), 1);

    f.settings().cmdSet_Click();
    f.ui.txtSet1[2]->setText("fast");
    f.ui.txtSet1[3]->setText("B");
    f.ui.cmdExit->click();
    QCOMPARE(fx.dir().readIni(), QByteArray("1,\"fast\",\"B\",0,\"-\"\r\n\"PWM(%):\",\"Label2\",\"nc\",\"nc\"\r\n"));
    QCOMPARE(f.ui.txtSet1[2]->text(), QStringLiteral("9600"));
    QCOMPARE(f.ui.txtSet1[3]->text(), QStringLiteral("1"));
    QCOMPARE(f.st.settings.baudRate, QStringLiteral("9600"));
    QCOMPARE(f.MSComm1.Settings(), QStringLiteral("9600,N,8,1"));
    QVERIFY(fx.asked.isEmpty());
}

void TestSettingsPanel::unconvertibleComEntryKeepsPanel()
{
    const QByteArray old("2,\"9600\",\"1\",0,\"-\"\r\n\"a\",\"b\",\"c\",\"d\"\r\n");
    WindowFixture fx(old, 2);
    FormTavermund &f = fx.start();
    for (const QString &entry : {QStringLiteral(""), QStringLiteral("two"), QStringLiteral("40000")}) {
        fx.asked.clear();
        f.settings().cmdSet_Click();
        f.ui.txtSet1[1]->setText(entry);
        f.ui.txtSet1[2]->setText("19200");
        f.setStatus("unchanged");
        f.ui.cmdExit->click();
        QVERIFY(f.ui.frmSet->isVisible());
        QCOMPARE(f.ui.txtSet1[1]->text(), entry);
        QCOMPARE(f.ui.txtSet1[2]->text(), QStringLiteral("19200"));
        QCOMPARE(fx.dir().readIni(), old);
        QCOMPARE(f.st.settings.commPort, std::int16_t(2));
        QCOMPARE(f.st.settings.baudRate, QStringLiteral("9600"));
        QCOMPARE(fx.status(), QStringLiteral("unchanged"));
        QCOMPARE(fx.asked.size(), 1);
        QVERIFY(fx.asked[0].prompt.contains(QStringLiteral("COM entry \"%1\"").arg(entry)));
    }
    f.ui.txtSet1[1]->setText("3");
    f.ui.cmdExit->click();
    QVERIFY(!f.ui.frmSet->isVisible());
    QVERIFY(fx.dir().readIni().startsWith("3,\"19200\""));
}

void TestSettingsPanel::failedWriteKeepsOldFileAndPanel()
{
    const QByteArray old("2,\"9600\",\"1\",0,\"-\"\r\n\"a\",\"b\",\"c\",\"d\"\r\n");
    WindowFixture fx(old, 2);
    FormTavermund &f = fx.start();
    f.settings().cmdSet_Click();
    f.ui.txtTempName[1]->setText("a much longer caption than before");
    f.setStatus("unchanged");

    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    auto previous = std::signal(SIGXFSZ, SIG_IGN);
    rlimit tiny = saved;
    tiny.rlim_cur = 20; // the disk fills up part-way
    setrlimit(RLIMIT_FSIZE, &tiny);
    f.ui.cmdExit->click();
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previous);

    QCOMPARE(fx.dir().readIni(), old);
    QVERIFY(f.ui.frmSet->isVisible());
    QCOMPARE(f.ui.txtTempName[1]->text(), QStringLiteral("a much longer caption than before"));
    QCOMPARE(f.st.settings.tempNames[1], QStringLiteral("a"));
    QCOMPARE(fx.status(), QStringLiteral("unchanged"));
    QCOMPARE(fx.asked.size(), 1);
    QVERIFY(fx.asked[0].prompt.contains(fx.dir().iniPath()));
}

void TestSettingsPanel::copyUnderAnotherName()
{
    TempExeDir dir("Bench2");
    dir.writeIni("4,\"19200\",\"C\",0,\"-\"\r\n\"a\",\"b\",\"c\",\"d\"\r\n");
    FormOptions options;
    options.executable = dir.executable();
    FormTavermund f(options);
    f.Form_Load();
    QCOMPARE(f.windowTitle(), QStringLiteral("Kelvandor: Bench2"));
    QCOMPARE(f.st.settingsPath, dir.path() + QStringLiteral("/Bench2.ini"));
    QCOMPARE(f.st.settings.commPort, std::int16_t(4));
}

void TestSettingsPanel::exitBox_data()
{
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("closes");
    QTest::newRow("Yes") << int(MessageRequest::Yes) << true;
    QTest::newRow("No") << int(MessageRequest::No) << false;
    QTest::newRow("Cancel") << int(MessageRequest::Cancel) << false;
}

void TestSettingsPanel::exitBox()
{
    QFETCH(int, answer);
    QFETCH(bool, closes);
    WindowFixture fx;
    FormTavermund &f = fx.start();
    f.MSComm1.setPortOpen(true);
    QTRY_VERIFY(fx.peer().slaveOpen());
    fx.answers << answer;
    QCOMPARE(f.close(), closes);
    QCOMPARE(fx.asked.size(), 1);
    QCOMPARE(fx.asked[0].prompt, QStringLiteral("Do you want to close/exit App ?"));
    QCOMPARE(fx.asked[0].title, QStringLiteral("Exit Dialog"));
    QCOMPARE(fx.asked[0].style, 35);
    QCOMPARE(f.isVisible(), !closes);
    QCOMPARE(f.MSComm1.PortOpen(), !closes);
    QTRY_COMPARE(fx.peer().slaveOpen(), !closes);
}

void TestSettingsPanel::exitDuringAPauseSendsNothingMore()
{
    // The operator closes the window while "50%" waits between its two
    // commands: Yes ends it there, without a failed-send box for "PV1?".
    WindowFixture fx;
    FormTavermund &f = fx.start();
    QVERIFY(fx.discoverAndReadBack());
    fx.answers << MessageRequest::Yes;
    QTimer::singleShot(10, &f, [&f] { f.close(); });
    f.pwm().cmd50P_Click();
    QCOMPARE(fx.asked.size(), 1);
    QCOMPARE(fx.asked[0].style, 35);
    QCOMPARE(fx.peer().received(), QByteArray("1SV1=50\r"));
    QVERIFY(!f.isVisible());
}

QTEST_MAIN(TestSettingsPanel)
#include "tst_settingspanel.moc"
