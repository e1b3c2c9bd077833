// tavermund-cli end to end: the real program against the simulated board,
// the lines on the wire, what it prints, and how it ends.

#include "EventWait.h"
#include "Nobody.h"
#include "SimProcess.h"
#include "TempExeDir.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <sys/resource.h>
#include <unistd.h>

namespace {

struct Run
{
    int code = -1;
    QByteArray out;
    QByteArray err;
};

const QString Cli = QStringLiteral(TAVERMUND_CLI_PATH);

// Runs the program (or a shell line that runs it) to its end, as the user
// nobody or with files limited to `fileLimit` bytes (a full disk); `during`
// runs once it has printed `waitFor` on its standard output.
Run cli(const QStringList &args, bool asNobody = false, rlim_t fileLimit = 0, const QByteArray &waitFor = {},
        const std::function<void(QProcess &)> &during = {}, const QString &program = Cli)
{
    QProcess process;
    process.setChildProcessModifier([asNobody, fileLimit] {
        if (asNobody)
            becomeNobody();
        const rlimit full{fileLimit, fileLimit};
        if (fileLimit && (std::signal(SIGXFSZ, SIG_IGN) == SIG_ERR || setrlimit(RLIMIT_FSIZE, &full) != 0))
            _exit(98);
    });
    process.start(program, args);
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

    QTemporaryDir runtime;

private slots:
    void initTestCase()
    {
        // The local sockets of serving programs live here, the test's own.
        QVERIFY(runtime.isValid());
        qputenv("XDG_RUNTIME_DIR", runtime.path().toLocal8Bit());
    }

    void chain()
    {
        // COM 1 as the settings file names it, with its com1 link beside it:
        // found once, then each command as soon as the board has confirmed
        // the one before; the values read as JSON, and every line in the
        // log after the line that marks the start. The settings file is
        // never written.
        TempExeDir dir;
        const QByteArray ini("1,\"9600\",\"1\",0,\"-\"\r\n\"a\",\"b\",\"c\",\"d\"\r\n");
        dir.writeIni(ini);
        SimProcess sim(dir.path(), {});
        QVERIFY(sim.ready());
        const QString log = dir.path() + QStringLiteral("/bench.log");
        const Run run = cli({"--settings", dir.iniPath(), "--json", "--log", log, "duty", "50", "duty", "37.5", "freq", "4", "read"});
        QCOMPARE(run.code, 0);
        QCOMPARE(run.out, QByteArray("{\"duty\":38,\"frequency\":4,\"frequency_hz\":490}\n"));
        QCOMPARE(sim.heard(), (QStringList{"1BS?", "1SV1=50", "PV1?", "1SV1=38", "1SV2=4", "1SV1", "1SV2"}));
        QFile file(log);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QList<QByteArray> lines = file.readAll().split('\n'); // after the line that marks the start
        QVERIFY(lines.at(1).endsWith(" tx \\r1BS?") && lines.at(2).endsWith(" rx 1BSok"));
        QVERIFY(lines.at(lines.size() - 2).endsWith(" rx 1SV2=4"));
        QCOMPARE(dir.readIni(), ini);
    }

    void endings_data()
    {
        QTest::addColumn<QStringList>("args"); // after --port <the board>
        QTest::addColumn<QStringList>("board"); // the simulated board's options
        QTest::addColumn<bool>("asNobody");
        QTest::addColumn<int>("fileLimit");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("told"); // on standard error (PORT: the board's port, DIR: a folder of the test's)
        QTest::newRow("help") << QStringList{"--help"} << QStringList() << false << 0 << 0 << QString();
        QTest::newRow("unknown option") << QStringList{"--baud-rate", "9600", "find"} << QStringList() << false << 0 << 2 << "baud-rate";
        QTest::newRow("duty refused") << QStringList{"duty", "25", "duty", "abc"} << QStringList() << false << 0 << 3 << "duty \"abc\" refused: not a number from 0 to 100";
        QTest::newRow("negative duty") << QStringList{"duty", "-1", "--timeout", "3"} << QStringList() << false << 0 << 3 << "duty \"-1\" refused";
        QTest::newRow("no response") << QStringList{"--timeout", "0.3", "find"} << QStringList{"--silent"} << false << 0 << 4 << "no identification reply from device \"1\" on PORT within 0.3 s; nothing came back";
        QTest::newRow("no such port") << QStringList{"--port", "/nonexistent/ttyUSB0", "find"} << QStringList() << false << 0 << 5 << "cannot open /nonexistent/ttyUSB0";
        QTest::newRow("not in dialout") << QStringList{"find"} << QStringList() << true << 0 << 5 << "Permission denied (COM Port comm-error! 8010). Usually this means that your user is not in the dialout group";
        QTest::newRow("log into a folder") << QStringList{"--log", "DIR", "find"} << QStringList() << false << 0 << 2 << "cannot open the log DIR: Is a directory";
        QTest::newRow("log on a full disk") << QStringList{"--log", "DIR/bench.log", "read"} << QStringList() << false << 300 << 7 << "cannot write the log DIR/bench.log: File too large; the run goes on";
    }
    void endings()
    {
        QFETCH(QStringList, args);
        QFETCH(QStringList, board);
        QFETCH(bool, asNobody);
        QFETCH(int, fileLimit);
        QFETCH(int, code);
        QFETCH(QString, told);
        if (asNobody && geteuid() != 0)
            QSKIP("needs root to run the program as another user");
        TempExeDir dir;
        SimProcess sim(dir.path(), board);
        QVERIFY(sim.ready());
        const Run run = cli(QStringList{"--port", sim.slave()} + args.replaceInStrings("DIR", dir.path()), asNobody, rlim_t(fileLimit));
        QCOMPARE(run.code, code);
        told.replace("PORT", sim.slave()).replace("DIR", dir.path());
        QVERIFY2(QString::fromLocal8Bit(run.err).contains(told), run.err.constData());
        if (code == 0)
            QVERIFY(run.out.contains("Exit status:") && run.err.isEmpty());
        if (code == 2 || code == 3)
            QCOMPARE(sim.heard(), QStringList()); // the port is never opened
        if (code == 7) // the work was done
            QCOMPARE(run.out, QByteArray("duty=0\nfrequency=1\nfrequency_hz=31372\n"));
    }

    void answers_data()
    {
        // What the board says, and what a script is told: every value from
        // the answer to its own query, every set confirmed.
        QTest::addColumn<QStringList>("board");
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("code");
        QTest::addColumn<QByteArray>("out");
        QTest::addColumn<QString>("told"); // on standard error (PORT: the board's port)
        // The echoes of the sets are still on their way when the next
        // command goes out.
        QTest::newRow("late") << QStringList{"--late", "300"} << QStringList{"duty", "50", "freq", "3", "read"} << 0
                              << QByteArray("duty=50\nfrequency=3\nfrequency_hz=980\n") << "";
        QTest::newRow("sets ignored") << QStringList{"--ignore-sets"} << QStringList{"--timeout", "2", "freq", "3"} << 4
                                      << QByteArray() << "no answer to \"1SV2=3\" within 2 s; nothing came back";
        QTest::newRow("set answered otherwise") << QStringList{"--ignore-sets"} << QStringList{"duty", "50"} << 6 << QByteArray()
                                                << "\"PV1?\" was answered \"1PV1=0\", not the value sent";
        QTest::newRow("another device") << QStringList{"--answer-id", "2"} << QStringList{"--timeout", "2", "find"} << 4
                                        << QByteArray() << "device \"2\" answered on PORT: is --id right?";
        QTest::newRow("no line end") << QStringList{"--silent", "--flood", "4K"} << QStringList{"--timeout", "2", "find"} << 4
                                     << QByteArray() << "characters came without a line end (CR)";
        QTest::newRow("index outside") << QStringList{"--freq", "9"} << QStringList{"read"} << 6
                                       << QByteArray("duty=0\nfrequency=9\nfrequency_hz=\n")
                                       << "warning: device \"1\" on PORT: \"1SV2\" was answered \"1SV2=9\": 9 is not a frequency index from 1 to 7";
        QTest::newRow("not a number") << QStringList{"--duty-text", "0x1A"} << QStringList{"--json", "read"} << 6
                                      << QByteArray("{\"duty\":\"0x1A\",\"frequency\":1,\"frequency_hz\":31372}\n")
                                      << "\"0x1A\" is not a number";
    }
    void answers()
    {
        QFETCH(QStringList, board);
        QFETCH(QStringList, args);
        QFETCH(int, code);
        QFETCH(QByteArray, out);
        QFETCH(QString, told);
        TempExeDir dir;
        SimProcess sim(dir.path(), board);
        QVERIFY(sim.ready());
        const Run run = cli(QStringList{"--port", sim.slave()} + args);
        QCOMPARE(run.code, code);
        QCOMPARE(run.out, out);
        QVERIFY2(QString::fromLocal8Bit(run.err).contains(told.replace("PORT", sim.slave())), run.err.constData());
    }

    void throughAServingTavermund()
    {
        // Another Tavermund holds the port and serves it: the script goes
        // through it, with the same output and status.
        TempExeDir dir;
        SimProcess sim(dir.path(), {});
        QVERIFY(sim.ready());
        QProcess server;
        server.start(Cli, {"--port", sim.slave(), "serve"});
        QByteArray said;
        QVERIFY2(runEventsUntil([&] { return (said += server.readAllStandardError()).contains("serving"); }, 10000),
                 said.constData());
        const Run run = cli({"--port", sim.slave(), "duty", "25", "read"});
        const qint64 pid = server.processId();
        server.terminate();
        QVERIFY(server.waitForFinished(5000));
        QCOMPARE(run.code, 0);
        QCOMPARE(run.out, QByteArray("duty=25\nfrequency=1\nfrequency_hz=31372\n"));
        QVERIFY2(run.err.contains(QStringLiteral("%1 is held by Tavermund (pid %2); going through it")
                                      .arg(sim.slave()).arg(pid).toUtf8()),
                 run.err.constData());
        QCOMPARE(sim.heard().mid(sim.heard().size() - 3), (QStringList{"1SV1=25", "1SV1", "1SV2"}));
    }

    void interrupted_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("heard"); // before the run is ended from outside
        QTest::addColumn<int>("code");
        // Ctrl+C is how a monitor without a duration ends.
        QTest::newRow("monitor") << QStringList{"--poll", "2", "monitor"} << "1PV1" << 0;
        QTest::newRow("find") << QStringList{"--timeout", "60", "find"} << "1BS?" << 130;
        // The reader goes away after the first line.
        QTest::newRow("| head -1") << QStringList{"--poll", "2", "monitor"} << "1PV1" << 141;
    }
    void interrupted()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, heard);
        QFETCH(int, code);
        TempExeDir dir;
        SimProcess sim(dir.path(), code == 130 ? QStringList{"--silent"} : QStringList());
        QVERIFY(sim.ready());
        // The serial port's lock file: left behind unless the port is closed.
        const QString lock = "/run/lock/LCK.." + sim.slave().mid(5).replace('/', '_');
        bool locked = false;
        const QStringList head{"-c", "\"$0\" \"$@\" | head -1; exit ${PIPESTATUS[0]}", Cli};
        const Run run = cli((code == 141 ? head : QStringList()) + QStringList{"--port", sim.slave()} + args, false, 0, {},
                            [&](QProcess &p) {
                                runEventsUntil([&] { return sim.heard().contains(heard); }, 10000);
                                locked = QFile::exists(lock);
                                // Only a program still running: pid 0 would be this test's own group.
                                if (code != 141 && p.processId() > 0)
                                    ::kill(pid_t(p.processId()), SIGINT);
                            }, code == 141 ? QStringLiteral("bash") : Cli);
        QCOMPARE(run.code, code);
        QVERIFY(locked && !QFile::exists(lock));
    }

    void monitor_data()
    {
        QTest::addColumn<QString>("duty"); // as the board gives it
        QTest::addColumn<bool>("json");
        QTest::addColumn<QByteArray>("printed"); // how the reply's line ends
        const QByteArray kept(32767 - 5, 'x'); // of the line "1SV1=xxx...", cut by the receive path
        QTest::newRow("quoted") << "\"a\",b" << false << QByteArray(",\"1PV1=\"\"a\"\",b\"\n");
        QTest::newRow("cut") << QString(40000, u'x') << false << ",1PV1=" + kept + "\\...\n";
        QTest::newRow("cut, JSON") << QString(40000, u'x') << true << "\"line\":\"1PV1=" + kept + "\",\"cut\":true}\n";
    }
    void monitor()
    {
        // Every received line with its time, until the board is unplugged:
        // the run ends with the port error, never hangs.
        QFETCH(QString, duty);
        QFETCH(bool, json);
        QFETCH(QByteArray, printed);
        TempExeDir dir;
        SimProcess sim(dir.path(), {"--duty-text", duty});
        QVERIFY(sim.ready());
        const Run run = cli(QStringList{"--port", sim.slave(), "--quiet", "--poll", "2"} + (json ? QStringList{"--json", "monitor"} : QStringList{"monitor"}),
                            false, 0, printed, [&](QProcess &) { sim.stop(); });
        QCOMPARE(run.code, 5);
        QVERIFY2(run.out.contains(printed), run.out.left(200).constData());
        QVERIFY2(run.err.contains("went away") && !run.err.contains("searching"), run.err.constData());
    }
};

QTEST_GUILESS_MAIN(TestCli)
#include "tst_cli.moc"
