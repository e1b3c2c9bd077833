// The log of every line: its text, the line that marks its start, a cut
// line marked, a flood logged whole by the end of its receive events, and a
// log that cannot be opened or written, reported once with the system's
// reason while the bench goes on, and never left with a torn line.

#include "Nobody.h"
#include "StationFixture.h"
#include "log/LineLog.h"

#include <QFile>
#include <QFileInfo>
#include <QSignalSpy>
#include <QTest>

#include <csignal>
#include <sys/resource.h>
#include <unistd.h>

class TestLineLog : public QObject
{
    Q_OBJECT

private slots:
    void text_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QByteArray>("logged");
        QTest::newRow("plain") << "1SV1=37.5" << QByteArray("1SV1=37.5");
        QTest::newRow("controls") << QStringLiteral("\r1BS?\t\x01\x7f") << QByteArray("\\r1BS?\\t\\x01\\x7F");
        QTest::newRow("backslash") << "a\\n" << QByteArray("a\\\\n");
        // The wire's code page: a C1 control where it has no character.
        QTest::newRow("cp1252") << QStringLiteral("\u00e9\u20ac\u0081") << QByteArray("\xc3\xa9\xe2\x82\xac\\x81");
    }
    void text()
    {
        QFETCH(QString, line);
        QFETCH(QByteArray, logged);
        QByteArray out;
        LineLog::appendEscaped(out, line);
        QCOMPARE(out, logged);
    }

    void stamp_data()
    {
        QTest::addColumn<QByteArray>("zone"); // as TZ gives it: POSIX, east of UTC negative
        QTest::addColumn<QByteArray>("stamp"); // of 1970-01-01 00:20:34.567 UTC
        QTest::newRow("east, half an hour") << QByteArray("IST-5:30") << QByteArray("1970-01-01T05:50:34.567+05:30");
        QTest::newRow("west") << QByteArray("HST10") << QByteArray("1969-12-31T14:20:34.567-10:00");
    }
    void stamp()
    {
        QFETCH(QByteArray, zone);
        QFETCH(QByteArray, stamp);
        const QByteArray old = qgetenv("TZ");
        qputenv("TZ", zone);
        QByteArray out;
        LocalStamp().append(out, 1234567);
        if (old.isNull())
            qunsetenv("TZ");
        else
            qputenv("TZ", old);
        QCOMPARE(out, stamp);
    }

    void flood()
    {
        // The line that marks the start, a line too long for the receive
        // path marked as cut, and a million lines, each in the file by the
        // end of the receive event that handled it: when the last value is
        // shown, it is logged.
        StationFixture s;
        const QString path = s.dir.path() + QStringLiteral("/flood.log");
        QVERIFY(s.station.startLog(path));
        constexpr int Lines = 1000000;
        QByteArray bytes = QByteArray(40000, '\\') + '\r';
        for (int i = 0; i < Lines; ++i)
            bytes += "1SV1=" + QByteArray::number(i) + '\r';
        s.peer.write(bytes);
        QTRY_VERIFY_WITH_TIMEOUT(s.probe.state().replies.reportedValues[1] == float(Lines - 1), 60000);
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QList<QByteArray> logged = file.readAll().split('\n');
        QCOMPARE(logged.size(), Lines + 3);
        // Local time to the millisecond, then "--" or the direction.
        const QString stamp = QStringLiteral("^\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\d\\.\\d{3}[+-]\\d\\d:\\d\\d ");
        QVERIFY2(QRegularExpression(stamp + QStringLiteral("-- tst_linelog started, port COM 1 \\(%1\\), device ID \"1\"$")
                                                .arg(QRegularExpression::escape(s.peer.slavePath())))
                     .match(QString::fromLatin1(logged[0])).hasMatch(), logged[0].constData());
        QVERIFY(logged[1].endsWith(" rx " + QByteArray(2 * 32767, '\\') + "\\..."));
        for (int i = 0; i < Lines; i += 99991)
            QVERIFY2(logged[i + 2].endsWith(" rx 1SV1=" + QByteArray::number(i)), logged[i + 2].constData());
        QVERIFY(logged[Lines + 1].endsWith(" rx 1SV1=" + QByteArray::number(Lines - 1)));
        QVERIFY(QRegularExpression(stamp + QStringLiteral("rx ")).match(QString::fromLatin1(logged[2])).hasMatch());
    }

    void diskFull()
    {
        // The disk fills up part-way through a line: told once, with the
        // path and the system's reason; the torn line is taken back, the log
        // stops and the bench goes on.
        StationFixture s;
        const QString path = s.dir.path() + QStringLiteral("/full.log");
        QSignalSpy failed(&s.station, &BenchStation::logFailed);
        QVERIFY(s.station.startLog(path));
        rlimit old{};
        getrlimit(RLIMIT_FSIZE, &old);
        auto previous = std::signal(SIGXFSZ, SIG_IGN);
        rlimit tiny = old;
        tiny.rlim_cur = QFileInfo(path).size() + 150;
        setrlimit(RLIMIT_FSIZE, &tiny);
        for (int i = 1; i <= 3; ++i) {
            s.peer.write("1SV1=" + QByteArray::number(i) + QByteArray(60, 'x') + "\r");
            QTRY_COMPARE(s.probe.state().replies.reportedValues[1], float(i));
        }
        setrlimit(RLIMIT_FSIZE, &old);
        std::signal(SIGXFSZ, previous);
        QCOMPARE(failed.count(), 1);
        QCOMPARE(failed[0][0].toString(), path);
        QCOMPARE(failed[0][1].toString(), QStringLiteral("File too large"));
        QVERIFY(!s.station.log().isOpen());
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray logged = file.readAll();
        QVERIFY2(logged.count('\n') == 2 && logged.endsWith("x\n"), logged.constData());
    }

    void cannotOpen_data()
    {
        QTest::addColumn<QString>("name"); // in a folder the user may read but not write
        QTest::addColumn<QString>("reason");
        QTest::newRow("a folder") << "." << "Is a directory";
        QTest::newRow("a missing folder") << "missing/bench.log" << "No such file or directory";
        QTest::newRow("no permission") << "bench.log" << "Permission denied";
    }
    void cannotOpen()
    {
        // As a user who may not write the folder (root writes anywhere).
        QFETCH(QString, name);
        QFETCH(QString, reason);
        TempExeDir dir;
        const QString path = dir.path() + u'/' + name;
        QVERIFY(QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::ExeOwner | QFile::ReadOther | QFile::ExeOther));
        const bool told = asNobody([&] {
            LineLog log;
            QString said;
            QObject::connect(&log, &LineLog::failed, [&](const QString &p, const QString &why) { said += p + ": " + why; });
            return !log.open(path) && said == path + QStringLiteral(": ") + reason;
        });
        QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QVERIFY(told);
    }
};

QTEST_GUILESS_MAIN(TestLineLog)
#include "tst_linelog.moc"
