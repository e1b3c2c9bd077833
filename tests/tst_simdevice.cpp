// The simulated board's protocol core, fed directly. The program around
// it (the pty, the com<n> link, the fault options) is exercised through the
// real window in tst_faults.

#include "DeviceProtocol.h"

#include <QtTest>

namespace {

QByteArrayList feedAll(DeviceProtocol &protocol, const QByteArray &bytes, bool byteWise)
{
    QByteArrayList replies;
    for (qsizetype at = 0; at < bytes.size(); at += byteWise ? 1 : bytes.size()) {
        const auto size = static_cast<std::size_t>(byteWise ? 1 : bytes.size());
        for (const auto &exchange : protocol.feed({bytes.constData() + at, size})) {
            if (exchange.reply)
                replies << QByteArray::fromStdString(*exchange.reply);
        }
    }
    return replies;
}

} // namespace

class TestSimDevice : public QObject
{
    Q_OBJECT

private slots:
    void protocol_data();
    void protocol();
    void replyModes();
};

void TestSimDevice::protocol_data()
{
    QTest::addColumn<QString>("id");
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QByteArrayList>("replies");
    using L = QByteArrayList;

    QTest::newRow("hello 1") << "1" << QByteArray("\r1BS?\r") << L {"1BSok"};
    QTest::newRow("hello A") << "A" << QByteArray("\rABS?\r") << L {"ABSok"};
    QTest::newRow("duty") << "1" << QByteArray("1SV1\r1SV1=500\r") << L {"1SV1=0", "1SV1=500"};
    QTest::newRow("duty clamps") << "1" << QByteArray("1SV1=123456789012345678901\r")
                                 << L {"1SV1=4294967295"};
    QTest::newRow("duty not number") << "1" << QByteArray("1SV1=12a\r1SV1=\r1SV1=-5\r") << L {};
    QTest::newRow("set freq") << "1" << QByteArray("1SV2=3\r1SV2\r") << L {"1SV2=3", "1SV2=3"};
    QTest::newRow("PV1? no id") << "1" << QByteArray("PV1?\r") << L {"1PV1=0"};
    QTest::newRow("PV1 with id") << "1" << QByteArray("1SV1=9\r1PV1\r") << L {"1SV1=9", "1PV1=9"};
    QTest::newRow("other id") << "1" << QByteArray("2BS?\r2SV1=5\r2SV1\r2PV1\r1SV1\r")
                              << L {"1SV1=0"};
    QTest::newRow("CRLF") << "1" << QByteArray("1BS?\r\n1SV1\r\n") << L {"1BSok", "1SV1=0"};
    QTest::newRow("LFCR") << "1" << QByteArray("\n\r1BS?\n\r1SV2\n\r") << L {"1BSok", "1SV2=1"};
    QTest::newRow("LF inside") << "1" << QByteArray("1B\nS?\r") << L {"1BSok"};
    QTest::newRow("empty lines") << "1" << QByteArray("\r\r\n\r1BS?\r\r") << L {"1BSok"};
    QTest::newRow("overlong line") << "1" << QByteArray(5000, 'y') + "1BS?\r1BS?\r"
                                   << L {"1BSok"};
}

void TestSimDevice::protocol()
{
    QFETCH(QString, id);
    QFETCH(QByteArray, input);
    QFETCH(QByteArrayList, replies);
    DeviceProtocol::Settings settings;
    settings.id = id.at(0).toLatin1();
    for (const bool byteWise : {false, true}) {
        DeviceProtocol protocol(settings);
        QCOMPARE(feedAll(protocol, input, byteWise), replies);
    }
}

void TestSimDevice::replyModes()
{
    DeviceProtocol::Settings settings;
    settings.garbage = true;
    settings.seed = 1234;
    DeviceProtocol protocol(settings);
    const QByteArrayList replies = feedAll(protocol, "1BS?\r2BS?\r1SV1=5\r1SV1\rPV1?\rjunk\r", false);
    QCOMPARE(replies.size(), 4); // only the recognised commands get an answer
    const QByteArrayList proper {"1BSok", "1SV1=5", "1SV1=5", "1PV1=5"};
    for (int i = 0; i < replies.size(); ++i) {
        QVERIFY(!replies[i].isEmpty());
        QVERIFY(replies[i] != proper[i]);
        for (const char c : replies[i])
            QVERIFY2(c > 0x20 && c < 0x7F, replies[i].constData());
    }

    settings.garbage = false;
    settings.silent = true;
    DeviceProtocol silent(settings);
    QVERIFY(feedAll(silent, "\r1BS?\r1SV1=5\rPV1?\r1SV2\r", false).isEmpty());
}

QTEST_GUILESS_MAIN(TestSimDevice)
#include "tst_simdevice.moc"
