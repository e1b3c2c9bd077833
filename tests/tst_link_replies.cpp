// End to end: what the window does with the lines the device sends, and
// the failed-send box.

#include "toolkit/Constants.h"
#include "ui/ControlPainter.h"
#include "ui/BgrColor.h"
#include "WindowFixture.h"

#include <QApplication>
#include <QLabel>
#include <QLocale>
#include <QProcess>
#include <QPushButton>
#include <QTest>

namespace {

// Colour of each frequency button: 'H' highlighted, '-' button face.
QString frequencyButtons(const FormTavermund &f)
{
    QString out;
    for (int k = 1; k <= 7; ++k) {
        const auto value = ControlPainter::backColorValue(f.ui.cmdFpwm[k]);
        out += value == Colour::Highlight ? u'H' : value == Colour::ButtonFace ? u'-' : u'?';
    }
    return out;
}

QString shown(const QByteArray &line)
{
    return QStringLiteral("COM:1 Baud:9600 COM data: ") + QString::fromLatin1(line);
}

} // namespace

class TestLinkReplies : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();
    void discovery();
    void discoveryStartsThePollWhenSet();
    void anyLineStopsTheTimeout();
    void replies();
    void decimalCommaLocale();
    void lineEnds();
    void overlongLine();
    void failedSendYesRestartsTheLink();
    void failedSendNoEndsAtOnce();
};

void TestLinkReplies::initTestCase()
{
    QApplication::setStyle(QStringLiteral("Fusion"));
}

void TestLinkReplies::cleanup()
{
    QLocale::setDefault(QLocale::c());
}

void TestLinkReplies::discovery()
{
    WindowFixture fx;
    FormTavermund &f = fx.start();
    QVERIFY(fx.discover());
    QCOMPARE(fx.status(), QStringLiteral("Found: 1BSok"));
    QCOMPARE(fx.statusBack(), 0x00C000u);
    QCOMPARE(fx.statusPixel(), 0x00C000u);
    QCOMPARE(f.ui.lblDevCode->text(), QStringLiteral("Kelvandor: FormTavermund Tavermund"));
    QVERIFY(!f.Timer1.Enabled());
    QVERIFY(!f.TimerCom.Enabled());
    QVERIFY(f.Timer2.Enabled());
    QVERIFY2(!f.StTimer.Enabled(), "no poll period is set");
    // No more search requests once found.
    const qsizetype requests = fx.peer().received().count("BS?");
    QTest::qWait(3000);
    QCOMPARE(fx.peer().received().count("BS?"), requests);
}

void TestLinkReplies::discoveryStartsThePollWhenSet()
{
    WindowFixture fx("1,\"9600\",\"1\",5,\"-\"\r\n\"a\",\"b\",\"c\",\"d\"\r\n");
    FormTavermund &f = fx.start();
    QVERIFY(fx.discover());
    QVERIFY(f.StTimer.Enabled());
    QCOMPARE(f.st.pwm.pollCount, std::int16_t(4));
}

void TestLinkReplies::anyLineStopsTheTimeout()
{
    WindowFixture fx;
    FormTavermund &f = fx.start();
    QTRY_VERIFY_WITH_TIMEOUT(f.TimerCom.Enabled(), 4000);
    fx.peer().write("2BSok\r"); // another board: shown, not found
    QTRY_COMPARE(fx.status(), shown("2BSok"));
    QCOMPARE(fx.statusBack(), 0xC0FFC0u);
    QVERIFY(!f.TimerCom.Enabled());
    QVERIFY(f.Timer1.Enabled());
    QCOMPARE(f.ui.lblDevCode->text(), QStringLiteral("???"));
}

void TestLinkReplies::replies()
{
    struct Row
    {
        QByteArray line;
        QString status; // empty: the line itself
        QString duty;
        QString buttons;
    };
    const Row rows[] = {
        {"1SV1=37.5", {}, "37.5", "-------"},
        {"1SV1=abc", {}, "0", "-------"},
        {"1SV1= 42", {}, "42", "-------"},
        {"1SV1=", {}, "0", "-------"},
        {"1SV1=1e39", "???", "0", "-------"},
        {"1SV2=3", {}, "0", "--H----"},
        {"1SV2=7", {}, "0", "------H"},
        {"1SV2=3.0", {}, "0", "--H----"},
        {"1SV2=2.5", {}, "0", "-------"},
        {"1SV2=1", {}, "0", "H------"},
        {"1SV2=8", {}, "0", "-------"},
        {"1SV2=0", {}, "0", "-------"},
        {"2SV1=30", {}, "0", "-------"},
        {"1bsok", {}, "0", "-------"},
        {"1SV1=100", {}, "100", "-------"},
    };
    WindowFixture fx;
    FormTavermund &f = fx.start();
    QTRY_VERIFY_WITH_TIMEOUT(f.MSComm1.PortOpen(), 4000);
    for (const Row &row : rows) {
        f.setStatus("before");
        f.setStatusBack(0xFFFFFF);
        fx.peer().write(row.line + "\r");
        const QString expected = row.status.isEmpty() ? shown(row.line) : row.status;
        QTRY_COMPARE(fx.status(), expected);
        QCOMPARE(fx.statusBack(), 0xC0FFC0u); // a failure leaves the colour as it was set
        QCOMPARE(f.ui.lblTemp[1]->text(), row.duty);
        QCOMPARE(frequencyButtons(f), row.buttons);
    }
    QCOMPARE(f.st.replies.reportedValues[1], 100.f);
    QCOMPARE(f.st.replies.reportedValues[2], 0.f);
    QVERIFY(f.Timer1.Enabled()); // none of these was the identification reply
}

void TestLinkReplies::decimalCommaLocale()
{
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    WindowFixture fx;
    FormTavermund &f = fx.start();
    QTRY_VERIFY_WITH_TIMEOUT(f.MSComm1.PortOpen(), 4000);
    fx.peer().write("1SV1=37.5\r"); // the device always sends a point
    QTRY_COMPARE(f.ui.lblTemp[1]->text(), QStringLiteral("37,5"));
    QCOMPARE(f.st.replies.reportedValues[1], 37.5f);
    fx.peer().write("1SV1=12345678\r");
    QTRY_COMPARE(f.ui.lblTemp[1]->text(), QStringLiteral("1,234568E+07"));
}

void TestLinkReplies::lineEnds()
{
    WindowFixture fx;
    FormTavermund &f = fx.start();
    QTRY_VERIFY_WITH_TIMEOUT(f.MSComm1.PortOpen(), 4000);
    fx.peer().write("1SV1=11\r\n");
    QTRY_COMPARE(f.ui.lblTemp[1]->text(), QStringLiteral("11"));
    fx.peer().write("1SV1=12\n\r");
    QTRY_COMPARE(f.ui.lblTemp[1]->text(), QStringLiteral("12"));
    fx.peer().write("1S\nV1=13\r\r\r");
    QTRY_COMPARE(f.ui.lblTemp[1]->text(), QStringLiteral("13"));
    QCOMPARE(fx.status(), shown("1SV1=13"));
    // A partial line waits for its carriage return.
    fx.peer().write("1SV1=1");
    QTest::qWait(200);
    QCOMPARE(f.ui.lblTemp[1]->text(), QStringLiteral("13"));
    fx.peer().write("4\r");
    QTRY_COMPARE(f.ui.lblTemp[1]->text(), QStringLiteral("14"));
}

void TestLinkReplies::overlongLine()
{
    WindowFixture fx;
    FormTavermund &f = fx.start();
    QTRY_VERIFY_WITH_TIMEOUT(f.MSComm1.PortOpen(), 4000);
    fx.peer().write("1SV1=" + QByteArray(40000, '7') + "\r");
    QTRY_COMPARE(fx.status(), QStringLiteral("???"));
    QCOMPARE(f.ui.lblTemp[1]->text(), QStringLiteral("-"));
    QVERIFY(f.st.replies.rxLine.pending().isEmpty());
    fx.peer().write("1SV1=5\r");
    QTRY_COMPARE(f.ui.lblTemp[1]->text(), QStringLiteral("5"));
}

void TestLinkReplies::failedSendYesRestartsTheLink()
{
    WindowFixture fx("1,\"9600\",\"1\",5,\"-\"\r\n\"a\",\"b\",\"c\",\"d\"\r\n");
    FormTavermund &f = fx.start();
    QVERIFY(fx.discover());
    QVERIFY(f.StTimer.Enabled());
    f.MSComm1.setPortOpen(false);
    f.setInputLocked(true); // as during a poll
    fx.peer().clearReceived();

    f.st.pendingCommand = "1SV2=3";
    f.sender().SendAction();
    QCOMPARE(fx.asked.size(), 1);
    const MessageRequest &box = fx.asked[0];
    QCOMPARE(box.prompt, QStringLiteral("NO RESPONSE! Check connected hardware! Do you want to continue ?"));
    QCOMPARE(box.title, QStringLiteral("MsgBox: NO RESPONSE - COMMUNICATION ERROR!"));
    QCOMPARE(box.style, 276);
    QCOMPARE(box.helpFile, QStringLiteral("DEMO.HLP"));
    QCOMPARE(box.helpContext, 1000);

    // Yes (the fixture's default answer): the link starts from scratch.
    QVERIFY(!f.StTimer.Enabled());
    QVERIFY(!f.inputLocked());
    QVERIFY(!f.MSComm1.PortOpen());
    QCOMPARE(fx.status(), QStringLiteral("wait..."));
    QCOMPARE(fx.statusBack(), 0xC0FFFFu);
    QVERIFY(f.Timer1.Enabled());
    QVERIFY(fx.peer().received().isEmpty());
    QTRY_COMPARE_WITH_TIMEOUT(fx.peer().received(), QByteArray("\r1BS?\r"), 4000);
}

void TestLinkReplies::failedSendNoEndsAtOnce()
{
    QProcess probe;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    probe.setProcessEnvironment(env);
    probe.start(QStringLiteral(TAVERMUND_PROBE_END), {});
    QVERIFY(probe.waitForFinished(20000));
    const QByteArray out = probe.readAllStandardOutput();
    QCOMPARE(probe.exitStatus(), QProcess::NormalExit);
    QCOMPARE(probe.exitCode(), 0);
    QVERIFY2(out.contains("asked 276 MsgBox: NO RESPONSE"), out.constData());
    QVERIFY2(!out.contains("asked 35"), "no exit box");
    QVERIFY2(!out.contains("returned"), "nothing runs after No");
}

QTEST_MAIN(TestLinkReplies)
#include "tst_link_replies.moc"
