// tavermund-cli end to end: the real program against a board played on a
// pseudo-terminal, the bytes on the wire, what it prints, and how it ends.

#include "EventWait.h"
#include "Nobody.h"
#include "PtyPeer.h"
#include "SimProcess.h"
#include "TempExeDir.h"

#include <QFile>
#include <QProcess>
#include <QTest>

#include <csignal>
#include <unistd.h>

namespace {

// A board that answers as the real one does: its identification to the
// search request, its values to the queries, and a set command by taking
// the value. Silent, it answers nothing.
struct Board
{
    explicit Board(QByteArray id = "1")
        : id(std::move(id))
    {
        QObject::connect(&peer, &PtyPeer::bytesArrived, [this] { answer(); });
    }
    void answer()
    {
        for (qsizetype end; (end = peer.received().indexOf('\r', seen)) >= 0; seen = end + 1) {
            const QByteArray line = peer.received().mid(seen, end - seen);
            if (silent || !line.startsWith(id))
                continue;
            const QByteArray command = line.mid(id.size());
            if (command == "BS?")
                peer.write(id + "BSok\r");
            else if (command == "SV1" || command == "SV2")
                peer.write(line + '=' + (command == "SV1" ? duty : frequency) + '\r');
            else if (command.startsWith("SV1="))
                duty = command.mid(4);
            else if (command.startsWith("SV2="))
                frequency = command.mid(4);
        }
    }

    PtyPeer peer;
    QByteArray id;
    QByteArray duty = "37.5";
    QByteArray frequency = "3";
    bool silent = false;
    qsizetype seen = 0;
};

struct Run
{
    int code = -1;
    QByteArray out;
    QByteArray err;
};

// Runs the program to its end while the board answers; `during` runs once
// the program has printed `waitFor` on its standard output.
Run cli(const QStringList &args, bool asNobody = false, const QByteArray &waitFor = {},
        const std::function<void(QProcess &)> &during = {})
{
    QProcess process;
    if (asNobody) {
        process.setChildProcessModifier([] {
            becomeNobody();
        });
    }
    process.start(QStringLiteral(TAVERMUND_CLI_PATH), args);
    Run run;
    if (during) {
        runEventsUntil([&] { return (run.out += process.readAllStandardOutput()).contains(waitFor); }, 20000);
        during(process);
    }
    runEventsUntil([&] { return process.state() == QProcess::NotRunning; }, 30000);
    run.code = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.out += process.readAllStandardOutput();
    run.err = process.readAllStandardError();
    return run;
}

} // namespace

class TestCli : public QObject
{
    Q_OBJECT

private slots:
    void chainOnTheWire()
    {
        // Found once, the read-back the window runs, then the commands in
        // order, each with its pause; the values read printed as JSON, and
        // every line in the log.
        Board board;
        TempExeDir dir;
        const QString log = dir.path() + QStringLiteral("/bench.log");
        const Run run = cli({"--port", board.peer.slavePath(), "--json", "--log", log, "duty", "50", "duty", "37.5",
                             "freq", "4", "read"});
        QCOMPARE(run.code, 0);
        QCOMPARE(run.out, QByteArray("{\"duty\":38,\"frequency\":4}\n"));
        QCOMPARE(board.peer.received(), QByteArray("\r1BS?\r" "1SV1\r1SV2\r" "1SV1=50\rPV1?\r" "1SV1=38\r"
                                                   "1SV2=4\r" "1SV1\r1SV2\r"));
        QTRY_VERIFY(!board.peer.slaveOpen()); // closed at the end
        QFile file(log);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QList<QByteArray> lines = file.readAll().split('\n');
        QCOMPARE(lines.size(), 9 + 5 + 1);
        QVERIFY2(lines.first().endsWith(" tx \\r1BS?") && lines.at(1).endsWith(" rx 1BSok"), lines.first().constData());
        QVERIFY(lines.at(13).endsWith(" rx 1SV2=4"));
    }
    void simulatedBoardFromTheSettingsFile()
    {
        // The project's simulated board on COM 1, which the settings file
        // names and whose com1 link lies beside it: found, set, read back.
        TempExeDir dir;
        const QByteArray ini("1,\"9600\",\"1\",0,\"-\"\r\n\"a\",\"b\",\"c\",\"d\"\r\n");
        dir.writeIni(ini);
        SimProcess sim(dir.path(), {});
        QVERIFY(sim.ready());
        const Run run = cli({"--settings", dir.iniPath(), "duty", "25", "freq", "4", "read"});
        QCOMPARE(run.code, 0);
        QCOMPARE(run.out, QByteArray("duty=25\nfrequency=4\n"));
        QFile log(dir.path() + QStringLiteral("/sim.log"));
        QVERIFY(log.open(QIODevice::ReadOnly));
        QStringList heard; // what the board took as lines, in order
        for (const QByteArray &line : log.readAll().split('\n'))
            if (line.contains(" rx "))
                heard << QString::fromLatin1(line.mid(line.indexOf(" rx ") + 4));
        QCOMPARE(heard, (QStringList{"1BS?", "1SV1", "1SV2", "1SV1=25", "1SV2=4", "1SV1", "1SV2"}));
        QCOMPARE(dir.readIni(), ini); // never written
    }
    void endings_data()
    {
        QTest::addColumn<QStringList>("args"); // after --port <the board>
        QTest::addColumn<bool>("silent");
        QTest::addColumn<bool>("asNobody");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("told"); // on standard error ("PORT": the board's port)
        QTest::newRow("help") << QStringList{"--help"} << false << false << 0 << QString();
        QTest::newRow("unknown option") << QStringList{"--baud-rate", "9600", "find"} << false << false << 2 << "baud-rate";
        QTest::newRow("duty refused") << QStringList{"duty", "25", "duty", "abc"} << false << false << 3 << "duty \"abc\" refused: not a number from 0 to 100";
        QTest::newRow("no response") << QStringList{"--timeout", "0.3", "find"} << true << false << 4 << "no response from device \"1\" on PORT within 0.3 s";
        QTest::newRow("no reading") << QStringList{"--timeout", "0.3", "read"} << false << false << 4 << "did not report its duty and frequency";
        QTest::newRow("no such port") << QStringList{"--port", "/nonexistent/ttyUSB0", "find"} << false << false << 5 << "cannot open /nonexistent/ttyUSB0";
        QTest::newRow("not in dialout") << QStringList{"find"} << false << true << 5 << "Permission denied (COM Port comm-error! 8010). Serial devices belong to the group dialout";
    }
    void endings()
    {
        QFETCH(QStringList, args);
        QFETCH(bool, silent);
        QFETCH(bool, asNobody);
        QFETCH(int, code);
        QFETCH(QString, told);
        if (asNobody && geteuid() != 0)
            QSKIP("needs root to run the program as another user");
        Board board;
        board.silent = silent;
        // "no reading": the board is found but keeps its values to itself.
        if (QTest::currentDataTag() == QByteArray("no reading"))
            QObject::connect(&board.peer, &PtyPeer::bytesArrived, [&board] { board.silent = board.peer.received().contains("BS?"); });
        const Run run = cli(QStringList{"--port", board.peer.slavePath()} + args, asNobody);
        QCOMPARE(run.code, code);
        QVERIFY2(QString::fromLocal8Bit(run.err).contains(QString(told).replace("PORT", board.peer.slavePath())), run.err.constData());
        if (code == 0)
            QVERIFY(run.out.contains("Exit status:") && run.err.isEmpty());
        if (code == 2 || code == 3)
            QCOMPARE(board.peer.received(), QByteArray()); // nothing is sent
    }

    void interrupted_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("code");
        // Ctrl+C is how a monitor without a duration ends.
        QTest::newRow("monitor") << QStringList{"monitor"} << 0;
        QTest::newRow("find") << QStringList{"--timeout", "60", "find"} << 130;
    }
    void interrupted()
    {
        QFETCH(QStringList, args);
        QFETCH(int, code);
        Board board;
        board.silent = code != 0;
        // The serial port's lock file: left behind unless the port is closed.
        const QString lock = "/run/lock/LCK.." + board.peer.slavePath().mid(5).replace('/', '_');
        bool locked = false;
        const Run run = cli(QStringList{"--port", board.peer.slavePath()} + args, false, {}, [&](QProcess &p) {
            runEventsUntil([&] { return board.peer.received().contains(code ? "BS?\r" : "1SV2\r"); }, 10000);
            locked = QFile::exists(lock);
            ::kill(pid_t(p.processId()), SIGINT);
        });
        QCOMPARE(run.code, code);
        QVERIFY(locked && !QFile::exists(lock));
    }
    void monitorUntilHangUp()
    {
        // Every received line with its time, as CSV, until the adapter is
        // pulled: the run ends with the port error, never hangs.
        Board board;
        QObject::connect(&board.peer, &PtyPeer::bytesArrived, [&board] {
            if (board.peer.received().endsWith("1SV2\r")) // the read-back is over
                board.peer.write("1SV1=10\r\"a\",b\r");
        });
        const Run run = cli({"--port", board.peer.slavePath(), "--quiet", "monitor"}, false, "\"\"\"a\"\",b\"\n",
                            [&](QProcess &) { board.peer.hangUp(); });
        QCOMPARE(run.code, 5);
        const QList<QByteArray> lines = run.out.split('\n');
        QVERIFY2(lines.size() >= 3 && lines.at(lines.size() - 2).endsWith(",\"\"\"a\"\",b\""), run.out.constData());
        QVERIFY(lines.at(lines.size() - 3).endsWith(",1SV1=10"));
        QVERIFY2(run.err.contains("went away") && !run.err.contains("searching"), run.err.constData());
    }
};

QTEST_GUILESS_MAIN(TestCli)
#include "tst_cli.moc"
