// The settings file: reading by the field rules, the exact bytes written,
// the code page, the fallback cases and the atomic write.

#include "settings/SettingsFile.h"
#include "TempExeDir.h"
#include "text/Cp1252Codec.h"

#include <QFile>
#include <QTest>

#include <csignal>
#include <sys/resource.h>

Q_DECLARE_METATYPE(SettingsValues)

namespace {

SettingsValues values(int port, const QString &baud, const QString &id, int stime, const QString &app,
                      const QString &n1, const QString &n2, const QString &n3, const QString &n4)
{
    SettingsValues v;
    v.commPort = std::int16_t(port);
    v.baudRate = baud;
    v.deviceId = id;
    v.sampleTime = std::int16_t(stime);
    v.ucAppName = app;
    v.tempNames = {QString(), n1, n2, n3, n4};
    return v;
}

} // namespace

class TestSettingsFile : public QObject
{
    Q_OBJECT

private slots:
    void parse_data();
    void parse();
    void defaultsBytes();
    void roundTrip_data();
    void roundTrip();
    void codePage();
    void boundedRead();
    void missingFile();
    void pathUsesPlatformSeparator();
    void failedWriteKeepsOldFile();
};

void TestSettingsFile::parse_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<SettingsValues>("expected");

    const SettingsValues defaults;
    QTest::newRow("as written") << QByteArray("1,\"9600\",\"1\",0,\"-\"\r\n\"PWM(%):\",\"Label2\",\"nc\",\"nc\"\r\n")
                                << true << defaults;
    QTest::newRow("hand-written, no quotes")
        << QByteArray("3, 9600, A, 5, x\r\nP, Q, R, S\r\n") << true
        << values(3, "9600", "A", 5, "x", "P", "Q", "R", "S");
    QTest::newRow("LF line ends, no final newline")
        << QByteArray("2,\"19200\",\"B\",1,\"app\"\n\"a\",\"b\",\"c\",\"d\"") << true
        << values(2, "19200", "B", 1, "app", "a", "b", "c", "d");
    QTest::newRow("caption holding a comma")
        << QByteArray("1,\"9600\",\"1\",0,\"-\"\r\n\"Duty, %\",\"b\",\"c\",\"d\"\r\n") << true
        << values(1, "9600", "1", 0, "-", "Duty, %", "b", "c", "d");
    QTest::newRow("blanks inside quotes kept")
        << QByteArray("1,\" 96 \",\"1\",0,\"-\"\r\n\"  a  \",\"b\",\"c\",\"d\"\r\n") << true
        << values(1, " 96 ", "1", 0, "-", "  a  ", "b", "c", "d");
    QTest::newRow("all on one line") << QByteArray("4,\"9600\",\"1\",0,\"-\",\"a\",\"b\",\"c\",\"d\"") << true
                                     << values(4, "9600", "1", 0, "-", "a", "b", "c", "d");
    QTest::newRow("empty line between") << QByteArray("4,\"9600\",\"1\",0,\"-\"\r\n\r\n\"a\",\"b\",\"c\",\"d\"\r\n")
                                        << true << values(4, "9600", "1", 0, "-", "a", "b", "c", "d");
    QTest::newRow("junk after ninth field ignored")
        << QByteArray("1,\"9600\",\"1\",0,\"-\"\r\n\"a\",\"b\",\"c\",\"d\",\"e\"\r\nmore\r\n") << true
        << values(1, "9600", "1", 0, "-", "a", "b", "c", "d");
    QTest::newRow("empty fields") << QByteArray("1,,\"1\",0,\r\n,\"b\",,\"d\"\r\n") << true
                                  << values(1, "", "1", 0, "", "", "b", "", "d");
    QTest::newRow("COM 2.5 to even") << QByteArray("2.5,\"9600\",\"1\",0,\"-\"\r\n\"a\",\"b\",\"c\",\"d\"\r\n")
                                     << true << values(2, "9600", "1", 0, "-", "a", "b", "c", "d");
    QTest::newRow("COM 3.5 to even") << QByteArray("3.5,\"9600\",\"1\",0,\"-\"\r\n\"a\",\"b\",\"c\",\"d\"\r\n")
                                     << true << values(4, "9600", "1", 0, "-", "a", "b", "c", "d");
    QTest::newRow("non-number reads 0") << QByteArray("abc,\"9600\",\"1\",x,\"-\"\r\n\"a\",\"b\",\"c\",\"d\"\r\n")
                                        << true << values(0, "9600", "1", 0, "-", "a", "b", "c", "d");
    QTest::newRow("negative STime") << QByteArray("1,\"9600\",\"1\",-5,\"-\"\r\n\"a\",\"b\",\"c\",\"d\"\r\n")
                                    << true << values(1, "9600", "1", -5, "-", "a", "b", "c", "d");
    QTest::newRow("STime at the limit") << QByteArray("1,\"9600\",\"1\",32767,\"-\"\r\n\"a\",\"b\",\"c\",\"d\"\r\n")
                                        << true << values(1, "9600", "1", 32767, "-", "a", "b", "c", "d");
    QTest::newRow("unterminated quote") << QByteArray("1,\"9600,\"1\",0,\"-\"\r\n") << false << defaults;

    QTest::newRow("only line 1") << QByteArray("3,\"9600\",\"A\",5,\"x\"\r\n") << false << defaults;
    QTest::newRow("empty file") << QByteArray() << false << defaults;
    QTest::newRow("eight fields") << QByteArray("1,\"9600\",\"1\",0,\"-\"\r\n\"a\",\"b\",\"c\"\r\n") << false << defaults;
    QTest::newRow("COM beyond 16 bits") << QByteArray("40000,\"9600\",\"1\",0,\"-\"\r\n\"a\",\"b\",\"c\",\"d\"\r\n")
                                        << false << defaults;
    QTest::newRow("STime beyond 16 bits") << QByteArray("1,\"9600\",\"1\",-32769,\"-\"\r\n\"a\",\"b\",\"c\",\"d\"\r\n")
                                          << false << defaults;
    QTest::newRow("NUL in line 2") << QByteArray("1,\"9600\",\"1\",0,\"-\"\r\n\"a\",\"b\0\",\"c\",\"d\"\r\n", 36) << false
                                   << defaults;
    QTest::newRow("NUL after line 2")
        << QByteArray("1,\"9600\",\"1\",0,\"-\"\r\n\"a\",\"b\",\"c\",\"d\"\r\n\0\xff junk", 41) << true
        << values(1, "9600", "1", 0, "-", "a", "b", "c", "d");
    QTest::newRow("UTF-8 record, cp1252 tail")
        << (QStringLiteral("1,\"9600\",\"1\",0,\"°C\"\r\n\"a\",\"b\",\"c\",\"d\"\r\n").toUtf8() + "\xB0")
        << true << values(1, "9600", "1", 0, "°C", "a", "b", "c", "d");
}

void TestSettingsFile::parse()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, ok);
    QFETCH(SettingsValues, expected);
    const auto result = SettingsFile::parse(bytes);
    QCOMPARE(result.has_value(), ok);
    if (ok)
        QCOMPARE(*result, expected);
}

void TestSettingsFile::defaultsBytes()
{
    QCOMPARE(SettingsFile::serialize(SettingsValues::defaults()),
             QByteArray("1,\"9600\",\"1\",0,\"-\"\r\n\"PWM(%):\",\"Label2\",\"nc\",\"nc\"\r\n"));
    QCOMPARE(SettingsFile::serialize(values(-5, "9600", "A", 5, "x", "P", "Q", "R", "S")),
             QByteArray("-5,\"9600\",\"A\",5,\"x\"\r\n\"P\",\"Q\",\"R\",\"S\"\r\n"));
}

void TestSettingsFile::roundTrip_data()
{
    QTest::addColumn<SettingsValues>("written");
    QTest::addColumn<SettingsValues>("readBack");

    QTest::newRow("defaults") << SettingsValues() << SettingsValues();
    QTest::newRow("commas and blanks") << values(12, " 9600 ", "F", 3, "a, b", "x,y", " ", "", ",")
                                       << values(12, " 9600 ", "F", 3, "a, b", "x,y", " ", "", ",");
    QTest::newRow("double quote becomes single")
        << values(1, "9600", "1", 0, "say \"hi\"", "\"", "a\"b", "c", "d")
        << values(1, "9600", "1", 0, "say 'hi'", "'", "a'b", "c", "d");
    QTest::newRow("Latin-1 and cp1252") << values(1, "9600", "1", 0, "Grüße €", "Temp °C", "µs", "Œ", "d")
                                        << values(1, "9600", "1", 0, "Grüße €", "Temp °C", "µs", "Œ", "d");
    QTest::newRow("not in the code page") << values(1, "9600", "1", 0, "温度", "😀", "Ω", "c", "d")
                                          << values(1, "9600", "1", 0, "??", "?", "?", "c", "d");
}

void TestSettingsFile::roundTrip()
{
    QFETCH(SettingsValues, written);
    QFETCH(SettingsValues, readBack);
    const QByteArray bytes = SettingsFile::serialize(written);
    QCOMPARE(bytes.count("\r\n"), 2);
    const auto result = SettingsFile::parse(bytes);
    QVERIFY(result.has_value());
    QCOMPARE(*result, readBack);
}

void TestSettingsFile::codePage()
{
    // Written by the Windows tool: cp1252, one byte per character.
    const QByteArray windows("1,\"9600\",\"1\",0,\"Gr\xFC\xDF" "e \x80\"\r\n\"\xB0" "C\",\"b\",\"c\",\"d\"\r\n");
    auto v = SettingsFile::parse(windows);
    QVERIFY(v);
    QCOMPARE(v->ucAppName, QStringLiteral("Grüße €"));
    QCOMPARE(v->tempNames[1], QStringLiteral("°C"));

    // Saved from a UTF-8 editor, with a byte-order mark.
    const QByteArray utf8 = "\xEF\xBB\xBF" + QStringLiteral("1,\"9600\",\"1\",0,\"Grüße €\"\r\n\"°C\",\"b\",\"c\",\"d\"\r\n").toUtf8();
    v = SettingsFile::parse(utf8);
    QVERIFY(v);
    QCOMPARE(v->commPort, std::int16_t(1));
    QCOMPARE(v->ucAppName, QStringLiteral("Grüße €"));
    QCOMPARE(v->tempNames[1], QStringLiteral("°C"));

    // What we write is always the 8-bit form.
    QCOMPARE(Cp1252Codec::encode(QStringLiteral("Grüße €")), QByteArray("Gr\xFC\xDF" "e \x80"));
}

void TestSettingsFile::boundedRead()
{
    TempExeDir dir;
    QByteArray big = SettingsFile::serialize(values(7, "9600", "1", 0, "-", "a", "b", "c", "d"));
    dir.writeIni(big);
    QCOMPARE(SettingsFile::read(dir.iniPath())->commPort, std::int16_t(7));
    // Notes, a NUL and ten megabytes of a pasted log after the two lines
    // are not read: the values stay.
    big += QByteArray("notes\0\r\n", 8) + QByteArray(10 * 1024 * 1024, 'x');
    dir.writeIni(big);
    const auto kept = SettingsFile::read(dir.iniPath());
    QVERIFY(kept.has_value());
    QCOMPARE(kept->commPort, std::int16_t(7));
    QCOMPARE(kept->tempNames[4], QStringLiteral("d"));
    // Two lines that do not end within the first 64 KiB are not ours.
    dir.writeIni("7,\"9600\",\"1\",0,\"" + QByteArray(SettingsFile::MaxSize, 'x') + "\"\r\n\"a\",\"b\",\"c\",\"d\"\r\n");
    QVERIFY(!SettingsFile::read(dir.iniPath()).has_value());
    // A folder named like the file cannot be read either.
    TempExeDir other;
    QVERIFY(QDir().mkdir(other.iniPath()));
    QVERIFY(!SettingsFile::read(other.iniPath()).has_value());
}

void TestSettingsFile::missingFile()
{
    TempExeDir dir;
    QVERIFY(!SettingsFile::read(dir.iniPath()).has_value());
    QVERIFY(!dir.iniExists());
}

void TestSettingsFile::pathUsesPlatformSeparator()
{
#ifdef Q_OS_WIN
    QCOMPARE(SettingsFile::pathFor("C:/tools", "Tavermund"), QStringLiteral("C:/tools\\Tavermund.ini"));
#else
    QCOMPARE(SettingsFile::pathFor("/opt/bench", "Tavermund"), QStringLiteral("/opt/bench/Tavermund.ini"));
    QCOMPARE(SettingsFile::pathFor("/opt/bench", "Tavermund2"), QStringLiteral("/opt/bench/Tavermund2.ini"));
#endif
}

void TestSettingsFile::failedWriteKeepsOldFile()
{
    // A disk that fills up half-way through the write: a file size limit
    // makes the write fail even for root.
    TempExeDir dir;
    const QByteArray old("5,\"19200\",\"C\",2,\"old\"\r\n\"a\",\"b\",\"c\",\"d\"\r\n");
    dir.writeIni(old);
    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    auto previous = std::signal(SIGXFSZ, SIG_IGN);
    rlimit tiny = saved;
    tiny.rlim_cur = 16;
    QCOMPARE(setrlimit(RLIMIT_FSIZE, &tiny), 0);
    const QString problem = SettingsFile::write(dir.iniPath(), SettingsValues());
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previous);

    QVERIFY2(!problem.isEmpty(), "the write must report its failure");
    QCOMPARE(dir.readIni(), old);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 1); // no temp file left
}

QTEST_GUILESS_MAIN(TestSettingsFile)
#include "tst_settingsfile.moc"
