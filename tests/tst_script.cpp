// The command line's words and options, read with the window's rules:
// what each becomes, and what is refused, with which ending; and what a
// script makes of the answers of a Tavermund that serves the port.

#include "TempExeDir.h"
#include "script/RunOptions.h"
#include "script/ScriptParser.h"
#include "script/ServedBoard.h"

#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <cstring>
#include <thread>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

// A serving Tavermund as a script meets it: it greets, then gives `answer`
// to every request. It runs on a thread of its own, because the board waits
// for the greeting with the event loop stopped.
struct ServingTavermund
{
    explicit ServingTavermund(const QByteArray &answer)
    {
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::strncpy(address.sun_path, QFile::encodeName(path).constData(), sizeof address.sun_path - 1);
        listening = ::socket(AF_UNIX, SOCK_STREAM, 0);
        if (::bind(listening, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0 || ::listen(listening, 1) != 0)
            qFatal("cannot serve %s", qPrintable(path));
        thread = std::thread([this, answer] {
            FILE *client = ::fdopen(::accept(listening, nullptr, nullptr), "r+");
            char line[512];
            for (int n = 0; client && std::fgets(line, sizeof line, client); ++n) {
                std::fputs(n == 0 ? "Tavermund,PWM bench,1,9.9\n" : answer.constData(), client);
                std::fflush(client);
            }
            if (client)
                std::fclose(client);
        });
    }
    ~ServingTavermund()
    {
        ::shutdown(listening, SHUT_RDWR); // wakes an accept that never came
        thread.join();
        ::close(listening);
    }
    QTemporaryDir dir;
    QString path = dir.filePath(QStringLiteral("serving"));
    int listening = -1;
    std::thread thread;
};

} // namespace

class TestScript : public QObject
{
    Q_OBJECT

private slots:
    void words_data()
    {
        QTest::addColumn<QStringList>("words");
        QTest::addColumn<bool>("duration");
        QTest::addColumn<int>("error");
        QTest::addColumn<QString>("read"); // the steps as kind:value, or the message's start
        QTest::newRow("buttons and typed") << QStringList{"duty", "100", "duty", "0", "duty", "050", "freq", "7", "freq", "1", "find"}
                                           << false << 0 << "1:100 1:0 2:050 3:7 3:1 0:0";
        QTest::newRow("rounded into range") << QStringList{"duty", "100.5"} << false << 0 << "2:100.5";
        QTest::newRow("beyond 100") << QStringList{"duty", "101"} << false << 3 << "duty \"101\" refused";
        QTest::newRow("decimal comma") << QStringList{"duty", "12,5"} << false << 3 << "duty \"12,5\" refused";
        QTest::newRow("freq 0") << QStringList{"freq", "0"} << false << 3 << "freq \"0\" refused";
        QTest::newRow("freq 34") << QStringList{"freq", "34"} << false << 3 << "freq \"34\" refused: the frequency index is one of 1 to 7";
        QTest::newRow("unknown") << QStringList{"poll"} << false << 2 << "unknown command \"poll\"";
        QTest::newRow("nothing") << QStringList{} << false << 2 << "no command given";
        QTest::newRow("no value") << QStringList{"find", "duty"} << false << 2 << "duty needs a value";
        QTest::newRow("monitor, then more") << QStringList{"monitor", "read"} << false << 2 << "monitor runs until Ctrl+C";
        QTest::newRow("monitor for a while") << QStringList{"monitor", "read"} << true << 0 << "5:0 4:0";
        QTest::newRow("a duration, no monitor") << QStringList{"read"} << true << 2 << "--duration is for monitor";
    }
    void words()
    {
        QFETCH(QStringList, words);
        QFETCH(bool, duration);
        QFETCH(int, error);
        QFETCH(QString, read);
        const ScriptParser::Result r = ScriptParser::parse(words, duration);
        QCOMPARE(int(r.error), error);
        QStringList steps;
        for (const ScriptStep &step : r.script)
            steps << QStringLiteral("%1:%2").arg(int(step.kind)).arg(step.text.isEmpty() ? QString::number(step.value) : step.text);
        QVERIFY2((error ? r.message : steps.join(u' ')).startsWith(read), qPrintable(r.message + steps.join(u' ')));
    }

    void options_data()
    {
        QTest::addColumn<QStringList>("given"); // port, settings, baud, id, timeout, poll, duration ("-": not given)
        QTest::addColumn<QString>("outcome");   // "port device baud id sampleTime timeout-ms duration-ms", or the error's start
        QTest::newRow("defaults") << QStringList(7, "-") << "1  9600 1 0 10000 -";
        QTest::newRow("COM 12") << QStringList{"12", "-", "19200", "A", "0.25", "5", "2.5"} << "12  19200 A 4 250 2500";
        QTest::newRow("a device") << QStringList{"/dev/ttyUSB0", "-", "-", "-", "-", "2", "-"} << "1 /dev/ttyUSB0 9600 1 1 10000 -";
        QTest::newRow("the file") << QStringList{"-", "INI", "-", "-", "-", "-", "-"} << "3  19200 B 5 10000 -";
        QTest::newRow("no such file") << QStringList{"-", "/nonexistent.ini", "-", "-", "-", "-", "-"} << "there is no settings file";
        QTest::newRow("COM 0") << QStringList{"0", "-", "-", "-", "-", "-", "-"} << "COM 0 is not a port number";
        QTest::newRow("COM 300") << QStringList{"300", "-", "-", "-", "-", "-", "-"} << "COM 300 is not a port number: use 1 to 255, or a device path";
        QTest::newRow("baud") << QStringList{"-", "-", "fast", "-", "-", "-", "-"} << "baud rate \"fast\" refused: a whole number from 1 to 4000000";
        QTest::newRow("id with CR") << QStringList{"-", "-", "-", "1\r", "-", "-", "-"} << "the device ID may not";
        QTest::newRow("id 12") << QStringList{"-", "-", "-", "12", "-", "-", "-"} << "device ID \"12\" refused: replies are matched on a one-character ID";
        QTest::newRow("poll 32768") << QStringList{"-", "-", "-", "-", "-", "32768", "-"} << "1  9600 1 32767 10000 -";
        QTest::newRow("poll 32769") << QStringList{"-", "-", "-", "-", "-", "32769", "-"} << "--poll \"32769\" refused";
        QTest::newRow("poll 1") << QStringList{"-", "-", "-", "-", "-", "1", "-"} << "--poll \"1\" refused: whole seconds from 2 to 32768";
        QTest::newRow("timeout 0") << QStringList{"-", "-", "-", "-", "0", "-", "-"} << "--timeout \"0\" refused: a number of seconds above 0";
        QTest::newRow("duration") << QStringList{"-", "-", "-", "-", "-", "-", "x"} << "--duration \"x\" refused";
    }
    void options()
    {
        QFETCH(QStringList, given);
        QFETCH(QString, outcome);
        TempExeDir dir;
        dir.writeIni("3,\"19200\",\"B\",5,\"-\"\r\n\"a\",\"b\",\"c\",\"d\"\r\n");
        std::array<std::optional<QString>, 7> g;
        for (int i = 0; i < 7; ++i) {
            if (given[i] != u"-")
                g[i] = given[i] == u"INI" ? dir.iniPath() : given[i];
        }
        const RunOptions::Resolved r = RunOptions::resolve({g[0], g[1], g[2], g[3], g[4], g[5], g[6]}, dir.executable());
        if (!r.error.isEmpty()) {
            QVERIFY2(r.error.startsWith(outcome), qPrintable(r.error));
            return;
        }
        const SettingsValues &v = *r.station.settings;
        QCOMPARE(QStringLiteral("%1 %2 %3 %4 %5 %6 %7").arg(v.commPort).arg(r.station.devicePath, v.baudRate, v.deviceId)
                     .arg(v.sampleTime).arg(r.timeout.count())
                     .arg(r.duration ? QString::number(r.duration->count()) : QStringLiteral("-")), outcome);
        QCOMPARE(r.station.linkDirectory, given[1] == u"INI" ? dir.path() : QString());
    }

    void servedOutcomes_data()
    {
        // The server's answer to a request and its SYST:ERR?, and what the
        // script makes of it (the request's status, the value it prints).
        QTest::addColumn<QByteArray>("answer");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("value");
        using S = RequestOutcome::Status;
        QTest::newRow("read") << QByteArray("37;0,\"No error\"") << int(S::Done) << "37";
        QTest::newRow("set") << QByteArray("0,\"No error\"") << int(S::Done) << "";
        QTest::newRow("outside") << QByteArray("9;-230,\"Data corrupt or stale; 9 is not\"") << int(S::OutsideProtocol) << "9";
        QTest::newRow("refused") << QByteArray("-222,\"Data out of range; duty 101\"") << int(S::Refused) << "";
        QTest::newRow("not a number") << QByteArray("-104,\"Data type error; x\"") << int(S::Refused) << "";
        QTest::newRow("answered otherwise") << QByteArray("-240,\"Hardware error; \"\"1SV2=4\"\" was answered \"\"1SV2=1\"\"\"")
                                            << int(S::OtherValue) << "";
        QTest::newRow("not sent") << QByteArray("-240,\"Hardware error; \"\"1SV1\"\" could not be sent: gone\"")
                                  << int(S::SendFailed) << "";
        QTest::newRow("no board") << QByteArray("-240,\"Hardware error; no board has answered the search\"")
                                  << int(S::NotFound) << "";
        QTest::newRow("lost") << QByteArray("-240,\"Hardware error; the board was lost\"") << int(S::NotFound) << "";
        QTest::newRow("no answer") << QByteArray("-240,\"Hardware error; no answer to \"\"1SV1\"\" within 2 s\"")
                                   << int(S::NoAnswer) << "";
    }
    void servedOutcomes()
    {
        QFETCH(QByteArray, answer);
        QFETCH(int, status);
        QFETCH(QString, value);
        ServingTavermund server(answer + '\n');
        ServedBoard board(server.path, QStringLiteral("COM 1"), std::chrono::seconds(5));
        QVERIFY(board.connectNow());
        QSignalSpy answered(&board, &ScriptBoard::answered);
        board.submit({BoardRequest::Kind::AskDuty, 0, {}});
        QVERIFY(answered.wait());
        const auto outcome = answered[0][0].value<RequestOutcome>();
        QCOMPARE(int(outcome.status), status);
        QCOMPARE(outcome.valueText, value);
    }
};

QTEST_GUILESS_MAIN(TestScript)
#include "tst_script.moc"
