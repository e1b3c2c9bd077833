// Line assembly, reply classification, the command texts and the poll
// counting rule - the widget-free core of the link and the PWM control.

#include "link/LineAssembler.h"
#include "pwm/PollCounter.h"
#include "link/Protocol.h"
#include "link/ReplyParser.h"

#include <QTest>

class TestReplies : public QObject
{
    Q_OBJECT

private slots:
    void assemble_data();
    void assemble();
    void overflowIsBoundedAndReported();
    void classify_data();
    void classify();
    void frequencyButton_data();
    void frequencyButton();
    void commandBytes_data();
    void commandBytes();
    void statusTexts();
    void pollCadence_data();
    void pollCadence();
    void pollAtTheLimit();
};

void TestReplies::assemble_data()
{
    QTest::addColumn<QString>("input");
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<QString>("pending");

    QTest::newRow("CR") << "1BSok\r" << QStringList{"1BSok"} << "";
    QTest::newRow("CR LF") << "1BSok\r\n" << QStringList{"1BSok"} << "";
    QTest::newRow("LF CR") << "1BSok\n\r" << QStringList{"1BSok"} << "";
    QTest::newRow("LF inside dropped") << "1SV\n1=5\r" << QStringList{"1SV1=5"} << "";
    QTest::newRow("LF alone ends nothing") << "abc\n" << QStringList{} << "abc";
    QTest::newRow("empty lines ignored") << "\r\r\r\nx\r\r" << QStringList{"x"} << "";
    QTest::newRow("two lines in one burst") << "1SV1=5\r1SV2=3\r" << QStringList{"1SV1=5", "1SV2=3"} << "";
    QTest::newRow("partial kept") << "1SV1=5\r1SV" << QStringList{"1SV1=5"} << "1SV";
    QTest::newRow("blank kept") << " \r" << QStringList{" "} << "";
    QTest::newRow("NUL and high bytes kept") << QString::fromLatin1("a\0\xE9\r", 4) << QStringList{QString::fromLatin1("a\0\xE9", 3)} << "";
}

void TestReplies::assemble()
{
    QFETCH(QString, input);
    QFETCH(QStringList, lines);
    QFETCH(QString, pending);
    LineAssembler rx;
    QStringList got;
    for (QChar c : input) {
        if (auto line = rx.feed(c)) {
            QVERIFY(!line->overflowed);
            got << line->text;
        }
    }
    QCOMPARE(got, lines);
    QCOMPARE(rx.pending(), pending);
}

void TestReplies::overflowIsBoundedAndReported()
{
    LineAssembler rx;
    for (int i = 0; i < 40000; ++i)
        QVERIFY(!rx.feed(u'x'));
    QCOMPARE(rx.pending().size(), LineAssembler::MaxLength);
    QVERIFY(rx.overflowed());
    auto line = rx.feed(u'\r');
    QVERIFY(line);
    QVERIFY(line->overflowed);
    QVERIFY(ReplyParser::parse(line->text, line->overflowed, "1").tooLong);

    // The next line starts clean.
    for (QChar c : QStringLiteral("1SV1=5\r"))
        line = rx.feed(c);
    QVERIFY(line);
    QCOMPARE(line->text, QStringLiteral("1SV1=5"));
    QVERIFY(!line->overflowed);

    // Exactly 32767 characters still fit.
    for (int i = 0; i < LineAssembler::MaxLength; ++i)
        rx.feed(u'y');
    line = rx.feed(u'\r');
    QVERIFY(line && !line->overflowed);
    QVERIFY(!ReplyParser::parse(line->text, false, "1").tooLong);
}

using Kind = ReplyParser::Kind;
Q_DECLARE_METATYPE(ReplyParser::Kind)

void TestReplies::classify_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("id");
    QTest::addColumn<bool>("identification");
    QTest::addColumn<Kind>("kind");
    QTest::addColumn<bool>("hasValue");
    QTest::addColumn<float>("value");

    QTest::newRow("found") << "1BSok" << "1" << true << Kind::Other << false << 0.f;
    QTest::newRow("lower case") << "1bsok" << "1" << false << Kind::Other << false << 0.f;
    QTest::newRow("trailing blank") << "1BSok " << "1" << false << Kind::Other << false << 0.f;
    QTest::newRow("other device") << "2BSok" << "1" << false << Kind::Other << false << 0.f;
    QTest::newRow("id A") << "ABSok" << "A" << true << Kind::Other << false << 0.f;
    QTest::newRow("duty") << "1SV1=50" << "1" << false << Kind::Duty << true << 50.f;
    QTest::newRow("duty 37.5") << "1SV1=37.5" << "1" << false << Kind::Duty << true << 37.5f;
    QTest::newRow("duty abc") << "1SV1=abc" << "1" << false << Kind::Duty << true << 0.f;
    QTest::newRow("duty empty") << "1SV1=" << "1" << false << Kind::Duty << true << 0.f;
    QTest::newRow("duty blank first") << "1SV1= 42" << "1" << false << Kind::Duty << true << 42.f;
    QTest::newRow("duty beyond single") << "1SV1=1e39" << "1" << false << Kind::Duty << false << 0.f;
    QTest::newRow("duty beyond double") << "1SV1=1e999" << "1" << false << Kind::Duty << false << 0.f;
    QTest::newRow("frequency") << "1SV2=3" << "1" << false << Kind::Frequency << true << 3.f;
    QTest::newRow("other device's duty") << "2SV1=30" << "1" << false << Kind::Other << false << 0.f;
    QTest::newRow("poll reply") << "1PV1=50" << "1" << false << Kind::Other << false << 0.f;
    QTest::newRow("two-char id never matches values") << "12SV1=5" << "12" << false << Kind::Other << false << 0.f;
    QTest::newRow("two-char id still found") << "12BSok" << "12" << true << Kind::Other << false << 0.f;
    QTest::newRow("empty id: SV1= fails") << "SV1=" << "" << false << Kind::Duty << false << 0.f;
    QTest::newRow("empty id: BSok found") << "BSok" << "" << true << Kind::Other << false << 0.f;
}

void TestReplies::classify()
{
    QFETCH(QString, line);
    QFETCH(QString, id);
    QFETCH(bool, identification);
    QFETCH(Kind, kind);
    QFETCH(bool, hasValue);
    QFETCH(float, value);
    const auto out = ReplyParser::parse(line, false, id);
    QVERIFY(!out.tooLong);
    QCOMPARE(out.identification, identification);
    QCOMPARE(out.kind, kind);
    if (kind != Kind::Other) {
        QCOMPARE(out.value.has_value(), hasValue);
        if (hasValue)
            QCOMPARE(*out.value, value);
    }
}

void TestReplies::frequencyButton_data()
{
    QTest::addColumn<float>("reported");
    QTest::addColumn<int>("button");
    for (int k = 1; k <= 7; ++k)
        QTest::addRow("%d", k) << float(k) << k;
    QTest::newRow("0") << 0.f << 0;
    QTest::newRow("8") << 8.f << 0;
    QTest::newRow("2.5") << 2.5f << 0;
    QTest::newRow("-1") << -1.f << 0;
}

void TestReplies::frequencyButton()
{
    QFETCH(float, reported);
    QFETCH(int, button);
    QCOMPARE(ReplyParser::frequencyButton(reported), button);
}

void TestReplies::commandBytes_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("search 1") << Protocol::searchRequest("1") << QByteArray::fromHex("0d3142533f0d");
    QTest::newRow("search A") << Protocol::searchRequest("A") << QByteArray::fromHex("0d4142533f0d");
    QTest::newRow("search empty id") << Protocol::searchRequest("") << QByteArray::fromHex("0d42533f0d");
    QTest::newRow("frequency 4") << Protocol::setFrequency("1", 4) + Protocol::CR << QByteArray::fromHex("315356323d340d");
    QTest::newRow("duty 50") << Protocol::setDuty("1", 50) << QByteArray("1SV1=50");
    QTest::newRow("readback") << Protocol::dutyReadback() << QByteArray("PV1?");
    QTest::newRow("query duty") << Protocol::queryDuty("1") << QByteArray("1SV1");
    QTest::newRow("query frequency") << Protocol::queryFrequency("1") << QByteArray("1SV2");
    QTest::newRow("poll") << Protocol::poll("1") << QByteArray("1PV1");
}

void TestReplies::commandBytes()
{
    QFETCH(QString, command);
    QFETCH(QByteArray, bytes);
    QCOMPARE(command.toLatin1(), bytes);
}

void TestReplies::statusTexts()
{
    QCOMPARE(Protocol::receivedStatus(3, "9600", "1SV2=4"), QStringLiteral("COM:3 Baud:9600 COM data: 1SV2=4"));
    QCOMPARE(Protocol::pollStatus(5, 4), QStringLiteral("STime:5 STimer:4"));
    QCOMPARE(Protocol::portErrorStatus(8002), QStringLiteral("Invalid Port Number!"));
    QCOMPARE(Protocol::portErrorStatus(8005), QStringLiteral("Port already open!"));
    QCOMPARE(Protocol::portErrorStatus(8012), QStringLiteral("COM Port comm-error! 8012"));
}

void TestReplies::pollCadence_data()
{
    QTest::addColumn<int>("sampleTime");
    QTest::addColumn<QList<int>>("shown");
    QTest::addColumn<QList<bool>>("polls");
    // The count starts at sampleTime - 1, as the identification reply sets it.
    QTest::newRow("5") << 5 << QList<int>{4, 5, 0, 1, 2, 3, 4, 5, 0}
                       << QList<bool>{false, true, false, false, false, false, false, true, false};
    QTest::newRow("1") << 1 << QList<int>{0, 1, 0, 1} << QList<bool>{false, true, false, true};
}

void TestReplies::pollCadence()
{
    QFETCH(int, sampleTime);
    QFETCH(QList<int>, shown);
    QFETCH(QList<bool>, polls);
    std::int16_t count = std::int16_t(sampleTime - 1);
    for (int i = 0; i < shown.size(); ++i) {
        const auto tick = PollCounter::tick(count, std::int16_t(sampleTime));
        QCOMPARE(tick.shown, shown[i]);
        QCOMPARE(tick.poll, polls[i]);
        if (tick.poll)
            count = 0; // the poll resets it
    }
}

void TestReplies::pollAtTheLimit()
{
    // With sampleTime 32767 the count reaches the top of the 16-bit range
    // and polls there, instead of overflowing or never polling.
    std::int16_t count = 32766;
    auto tick = PollCounter::tick(count, 32767);
    QCOMPARE(tick.shown, 32766);
    QVERIFY(!tick.poll);
    tick = PollCounter::tick(count, 32767);
    QCOMPARE(tick.shown, 32767);
    QVERIFY(tick.poll);
    QCOMPARE(count, std::int16_t(32767));
}

QTEST_GUILESS_MAIN(TestReplies)
#include "tst_replies.moc"
