// The settings file: what the reader makes of a file, the exact bytes the
// writer puts down, the code page, the bounded read, a folder that takes
// no new file, and where the file lies beside the executable, on Windows
// too. The round trip of
// anything read is the fuzz target's (tests/fuzz).

#include "Nobody.h"
#include "TempExeDir.h"
#include "settings/SettingsFile.h"
#include "toolkit/Executable.h"

#include <QDir>
#include <QTest>

#include <csignal>
#include <sys/resource.h>

Q_DECLARE_METATYPE(SettingsValues)
Q_DECLARE_METATYPE(Platform)

namespace {

SettingsValues values(int port, const QString &baud, const QString &id, int stime, const QString &app,
                      const QString &n1, const QString &n2 = "b", const QString &n3 = "c", const QString &n4 = "d")
{
    return {std::int16_t(port), baud, id, std::int16_t(stime), app, {QString(), n1, n2, n3, n4}};
}

const QByteArray Tail("\r\n\"a\",\"b\",\"c\",\"d\"\r\n");

} // namespace

class TestSettingsFile : public QObject
{
    Q_OBJECT

private slots:
    void parse_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<SettingsValues>("expected");
        const SettingsValues none;
        QTest::newRow("as written") << QByteArray("1,\"9600\",\"1\",0,\"-\"\r\n\"PWM(%):\",\"Label2\",\"nc\",\"nc\"\r\n")
                                    << true << SettingsValues::defaults();
        QTest::newRow("hand-written, no quotes") << QByteArray("3, 9600, A, 5, x\r\nP, Q, R, S\r\n") << true
                                                 << values(3, "9600", "A", 5, "x", "P", "Q", "R", "S");
        QTest::newRow("LF, no final line end") << QByteArray("2,\"19200\",\"B\",1,\"app\"\n\"a\",\"b\",\"c\",\"d\"") << true
                                               << values(2, "19200", "B", 1, "app", "a");
        QTest::newRow("comma and blanks in quotes") << QByteArray("1,\" 96 \",\"1\",0,\"-\"\r\n\"Duty, %\",\"b\",\"c\",\"d\"\r\n")
                                                    << true << values(1, " 96 ", "1", 0, "-", "Duty, %");
        QTest::newRow("blank field") << "1, ,\"1\",0,\"-\"" + Tail << true << values(1, "", "1", 0, "-", "a");
        QTest::newRow("empty fields") << QByteArray("1,,\"1\",0,\r\n,\"b\",,\"d\"\r\n") << true
                                      << values(1, "", "1", 0, "", "", "b", "", "d");
        QTest::newRow("COM 2.5 to even") << "2.5,\"9600\",\"1\",0,\"-\"" + Tail << true << values(2, "9600", "1", 0, "-", "a");
        QTest::newRow("COM 3.5 to even") << "3.5,\"9600\",\"1\",0,\"-\"" + Tail << true << values(4, "9600", "1", 0, "-", "a");
        QTest::newRow("not a number reads 0") << "abc,\"9600\",\"1\",x,\"-\"" + Tail << true << values(0, "9600", "1", 0, "-", "a");
        QTest::newRow("STime -5") << "1,\"9600\",\"1\",-5,\"-\"" + Tail << true << values(1, "9600", "1", -5, "-", "a");
        QTest::newRow("STime 32767") << "1,\"9600\",\"1\",32767,\"-\"" + Tail << true << values(1, "9600", "1", 32767, "-", "a");
        QTest::newRow("NUL after line 2") << QByteArray("1,\"9600\",\"1\",0,\"-\"" + Tail + QByteArray("\0\xff", 2)) << true
                                          << values(1, "9600", "1", 0, "-", "a");
        QTest::newRow("UTF-8 record, cp1252 tail")
            << (QStringLiteral("1,\"9600\",\"1\",0,\"°C\"").toUtf8() + Tail + "\xB0") << true << values(1, "9600", "1", 0, "°C", "a");
        QTest::newRow("UTF-8 with a byte-order mark") << ("\xEF\xBB\xBF" + QStringLiteral("1,\"9600\",\"1\",0,\"°C\"").toUtf8() + Tail)
                                                      << true << values(1, "9600", "1", 0, "°C", "a");
        QTest::newRow("cp1252") << QByteArray("1,\"9600\",\"1\",0,\"Gr\xFC\xDF" "e \x80\"" + Tail) << true
                                << values(1, "9600", "1", 0, "Grüße €", "a");
        QTest::newRow("only line 1") << QByteArray("3,\"9600\",\"A\",5,\"x\"\r\n") << false << none;
        QTest::newRow("eight fields") << QByteArray("1,\"9600\",\"1\",0,\"-\"\r\n\"a\",\"b\",\"c\"\r\n") << false << none;
        QTest::newRow("COM beyond 16 bits") << "40000,\"9600\",\"1\",0,\"-\"" + Tail << false << none;
        QTest::newRow("STime beyond 16 bits") << "1,\"9600\",\"1\",-32769,\"-\"" + Tail << false << none;
        QTest::newRow("NUL in line 2") << QByteArray("1,\"9600\",\"1\",0,\"-\"\r\n\"a\",\"b\0\",\"c\",\"d\"\r\n", 36) << false << none;
    }
    void parse()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, ok);
        QFETCH(SettingsValues, expected);
        const auto result = SettingsFile::parse(bytes);
        QCOMPARE(result.has_value(), ok);
        if (ok)
            QCOMPARE(*result, expected);
    }
    void written()
    {
        QCOMPARE(SettingsFile::serialize(SettingsValues::defaults()),
                 QByteArray("1,\"9600\",\"1\",0,\"-\"\r\n\"PWM(%):\",\"Label2\",\"nc\",\"nc\"\r\n"));
        // A double quote cannot be stored, so it becomes a single one; what the
        // code page cannot hold becomes '?'.
        QCOMPARE(SettingsFile::serialize(values(-5, "9600", "A", 5, "say \"hi\"", "Grüße €", "温度", "😀", "Ω")),
                 QByteArray("-5,\"9600\",\"A\",5,\"say 'hi'\"\r\n\"Gr\xFC\xDF" "e \x80\",\"??\",\"?\",\"?\"\r\n"));
    }
    void boundedRead()
    {
        TempExeDir dir;
        // Notes, a NUL and ten megabytes of a pasted log after the two lines
        // are not read: the values stay.
        dir.writeIni("7,\"9600\",\"1\",0,\"-\"" + Tail + QByteArray("notes\0\r\n", 8) + QByteArray(10 << 20, 'x'));
        const auto kept = SettingsFile::read(dir.iniPath());
        QVERIFY(kept.has_value());
        QCOMPARE(*kept, values(7, "9600", "1", 0, "-", "a"));
        // Two lines that do not end within the first 64 KiB are not ours.
        dir.writeIni("7,\"9600\",\"1\",0,\"" + QByteArray(SettingsFile::MaxSize, 'x') + "\"" + Tail);
        QVERIFY(!SettingsFile::read(dir.iniPath()).has_value());
        // Neither is a folder named like the file.
        QVERIFY(QDir().mkdir(dir.iniPath() + "2"));
        QVERIFY(!SettingsFile::read(dir.iniPath() + "2").has_value());
    }
    void folderTakesNoNewFile_data()
    {
        QTest::addColumn<bool>("fileWritable");
        QTest::addColumn<bool>("diskFull"); // once the old file's size is written
        QTest::newRow("file writable") << true << false;
        QTest::newRow("file read-only") << false << false;
        QTest::newRow("file writable, disk full") << true << true;
    }
    void folderTakesNoNewFile()
    {
        // A folder the operator may not write, as on a shared bench PC: the
        // file is overwritten in place, or left as it was.
        QFETCH(bool, fileWritable);
        QFETCH(bool, diskFull);
        TempExeDir dir;
        const QByteArray old = SettingsFile::serialize(SettingsValues::defaults());
        dir.writeIni(old);
        const SettingsValues changed = values(1, "9600", "1", 0, "-", "a longer caption than before");
        for (const QString &path : {dir.path(), dir.iniPath()})
            QVERIFY(geteuid() != 0 || chown(QFile::encodeName(path).constData(), 65534, 65534) == 0);
        const auto readOnly = QFile::ReadOwner | QFile::ReadOther;
        QFile::setPermissions(dir.path(), readOnly | QFile::ExeOwner | QFile::ExeOther);
        if (!fileWritable)
            QFile::setPermissions(dir.iniPath(), readOnly);
        const bool asExpected = asNobody([&] {
            const rlimit full{rlim_t(old.size()), rlim_t(old.size())};
            if (diskFull && (std::signal(SIGXFSZ, SIG_IGN) == SIG_ERR || setrlimit(RLIMIT_FSIZE, &full) != 0))
                return false;
            const SettingsFile::Written w = SettingsFile::write(dir.iniPath(), changed);
            return w.problem.isEmpty() == (fileWritable && !diskFull) && !w.damaged;
        });
        QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QVERIFY(asExpected);
        QCOMPARE(dir.readIni(), fileWritable && !diskFull ? SettingsFile::serialize(changed) : old);
    }
    void besideTheExecutable_data()
    {
        QTest::addColumn<QString>("executable");
        QTest::addColumn<Platform>("platform");
        QTest::addColumn<QString>("settings");
        QTest::newRow("Windows") << "C:\\Bench\\Tavermund.exe" << Platform::Windows << "C:/Bench/Tavermund.ini";
        QTest::newRow("Windows, a copy") << "C:/Bench/Bench2.EXE" << Platform::Windows << "C:/Bench/Bench2.ini";
        QTest::newRow("Linux") << "/opt/bench/Tavermund" << Platform::Posix << "/opt/bench/Tavermund.ini";
        QTest::newRow("Linux, no extension") << "/opt/Tavermund.exe" << Platform::Posix << "/opt/Tavermund.exe.ini";
    }
    void besideTheExecutable()
    {
        QFETCH(QString, executable);
        QFETCH(Platform, platform);
        QFETCH(QString, settings);
        const Executable exe = Executable::at(executable, platform);
        QCOMPARE(SettingsFile::pathFor(exe.directory, exe.name), settings);
    }
};

QTEST_GUILESS_MAIN(TestSettingsFile)
#include "tst_settingsfile.moc"
