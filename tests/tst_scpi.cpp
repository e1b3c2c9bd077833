// The bench as an instrument: SCPI text read into commands, and the control
// server on a real station whose board is played on a pseudo-terminal,
// reached by real local-socket clients: the bytes each command puts on the
// wire, its answer and its errors.

#include "EventWait.h"
#include "ScriptedBoard.h"
#include "StationFixture.h"
#include "StationProbe.h"
#include "WindowFixture.h"
#include "scpi/ControlServer.h"
#include "scpi/ScpiParser.h"

#include <QLocalSocket>
#include <QPushButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace {

using namespace std::chrono_literals;

// A client of the server: lines out, answer lines back.
struct Client
{
    explicit Client(const QString &path)
    {
        socket.connectToServer(path);
        socket.waitForConnected(2000);
    }
    // Sends the lines, then *OPC?, whose "1" comes once everything before it
    // is done; returns the answers before it.
    QStringList ask(const QStringList &lines)
    {
        socket.write((lines + QStringList{"*OPC?"}).join(u'\n').toUtf8() + '\n');
        QStringList answers;
        runEventsUntil([&] {
            while (socket.canReadLine())
                answers << QString::fromUtf8(socket.readLine()).chopped(1);
            return !answers.isEmpty() && answers.last() == u"1";
        }, 5000);
        if (!answers.isEmpty())
            answers.removeLast();
        return answers;
    }
    QLocalSocket socket;
};

} // namespace

class TestScpi : public QObject
{
    Q_OBJECT

    QTemporaryDir runtime;

private slots:
    void initTestCase()
    {
        // The server's local socket lives in the test's own folder.
        QVERIFY(runtime.isValid());
        qputenv("XDG_RUNTIME_DIR", runtime.path().toLocal8Bit());
        QCoreApplication::setApplicationVersion(QStringLiteral("9.9"));
    }

    void parse_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("commands"); // header number, '?' for a query, the parameter; or the error
        QTest::newRow("short and long, any case") << "sour:pwm:dcyc 25;SOURCE:PWM:DCYCLE?" << "5 25|5?";
        QTest::newRow("relative to the one before") << "SOUR:PWM:FREQ 490;DCYC?;FREQ:IND 3" << "7 490|5?|8 3";
        QTest::newRow("common commands keep the path") << ":SOUR:PWM:DCYC 5;*OPC?;FREQ?" << "5 5|1?|7?";
        QTest::newRow("a leading colon starts at the root") << "SOUR:PWM:DCYC 5;:SYST:ERR?" << "5 5|3?";
        QTest::newRow("no such header") << "SOUR:PWM:DUTY 5;HELLO" << "-113|-113";
        QTest::newRow("a query takes no parameter") << "MEAS:DCYC? 5" << "-108";
        QTest::newRow("a set needs one") << "SOUR:PWM:DCYC" << "-109";
        QTest::newRow("a query, or not") << "MEAS:DCYC 5;SYST:STAT 1;*CLS?" << "-113|-113|-113";
        QTest::newRow("abbreviated wrongly") << "SOURC:PWM:DCY 5" << "-113";
    }
    void parse()
    {
        QFETCH(QString, line);
        QFETCH(QString, commands);
        QStringList seen;
        for (const ScpiParser::Command &c : ScpiParser::parse(line))
            seen << (c.error ? QString::number(c.error)
                             : QString::number(int(c.header)) + (c.query ? "?" : " " + c.parameter));
        QCOMPARE(seen.join(u'|'), commands);
    }

    void commands_data()
    {
        QTest::addColumn<QString>("board");       // how the board answers
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<QStringList>("answers"); // each the start of one answer line
        QTest::addColumn<QByteArray>("wire");
        const QString noError = "0,\"No error\"";
        QTest::newRow("identity") << "" << QStringList{"*IDN?"} << QStringList{"Tavermund,PWM bench,1,9.9"} << QByteArray();
        QTest::newRow("duty set, read back") << "" << QStringList{"SOUR:PWM:DCYC 25.4;DCYC?"} << QStringList{"25"}
                                             << QByteArray("1SV1=25\r1SV1\r");
        QTest::newRow("a duty button") << "" << QStringList{"SOUR:PWM:DCYC:PRES 50", "SYST:ERR?"} << QStringList{noError}
                                       << QByteArray("1SV1=50\rPV1?\r");
        QTest::newRow("frequency in hertz") << "" << QStringList{"SOUR:PWM:FREQ 490", "SOUR:PWM:FREQ?;FREQ:IND?"}
                                            << QStringList{"490;4"} << QByteArray("1SV2=4\r1SV2\r1SV2\r");
        QTest::newRow("within 1 %") << "" << QStringList{"SOUR:PWM:FREQ 30.4"} << QStringList() << QByteArray("1SV2=7\r");
        QTest::newRow("measured") << "" << QStringList{"MEAS:DCYC?", "SYST:STAT?"} << QStringList{"37", "FOUND"}
                                  << QByteArray("1PV1\r");
        QTest::newRow("refused, nothing sent")
            << "" << QStringList{"SOUR:PWM:FREQ 500", "SOUR:PWM:DCYC 101", "SOUR:PWM:FREQ:IND 8", "SOUR:PWM:DCYC:PRES 25",
                                 "SOUR:PWM:DCYC abc", "HELLO", "SYST:ERR?;SYST:ERR?;SYST:ERR?", "SYST:ERR?;SYST:ERR?;SYST:ERR?",
                                 "SYST:ERR?"}
            << QStringList{"-222,\"Data out of range; the frequency is one of 31372, 3921, 980, 490, 245, 122 and 30.6 Hz\";"
                           "-222,\"Data out of range; duty 101: not a number from 0 to 100 (a fraction is rounded to a "
                           "whole number)\";"
                           "-222,\"Data out of range; the frequency index is one of 1 to 7\"",
                           "-222,\"Data out of range; the duty buttons are 0, 50 and 100\";-104,\"Data type error; \"\"abc\"\" is "
                           "not a number\";-113,\"Undefined header\"",
                           noError}
            << QByteArray();
        QTest::newRow("cleared") << "" << QStringList{"HELLO", "*CLS;SYST:ERR?"} << QStringList{noError} << QByteArray();
        QTest::newRow("a query not answered") << "search only" << QStringList{"SOUR:PWM:DCYC?", "SYST:ERR?"}
                                              << QStringList{"-240,\"Hardware error; no answer to \"\"1SV1\"\" within 0.3 s\""}
                                              << QByteArray("1SV1\r");
        QTest::newRow("a set answered otherwise") << "index 1" << QStringList{"SOUR:PWM:FREQ:IND 4;:SYST:ERR?"}
                                                  << QStringList{"-240,\"Hardware error; \"\"1SV2=4\"\" was answered \"\"1SV2=1\"\"\""}
                                                  << QByteArray("1SV2=4\r");
        QTest::newRow("a reading outside the protocol")
            << "index 9" << QStringList{"SOUR:PWM:FREQ?;:SYST:ERR?"}
            << QStringList{"9;-230,\"Data corrupt or stale; \"\"1SV2\"\" was answered \"\"1SV2=9\"\": 9 is not a frequency index"}
            << QByteArray("1SV2\r");
        QTest::newRow("no board") << "absent" << QStringList{"SOUR:PWM:DCYC 5", "SYST:STAT?;:SYST:ERR?"}
                                  << QStringList{"SEARCHING;-240,\"Hardware error; no board has answered the search\""}
                                  << QByteArray();
    }
    void commands()
    {
        QFETCH(QString, board);
        QFETCH(QStringList, lines);
        QFETCH(QStringList, answers);
        QFETCH(QByteArray, wire);
        StationFixture s(false, QStringLiteral("Tavermund"), Intervals{}.compressed(5));
        ScriptedBoard device(s.peer);
        device.searchOnly = board == "search only";
        if (board == "index 1")
            device.replace.insert("1SV2=4\r", "1SV2=1\r");
        if (board == "index 9")
            device.replace.insert("1SV2=3\r", "1SV2=9\r");
        QVERIFY(board == "absent" || s.findBoard());
        ControlServer server(s.station, 300ms);
        server.serveLocally();
        Client client(server.localPath());
        const QStringList seen = client.ask(lines);
        QCOMPARE(seen.size(), answers.size());
        for (qsizetype i = 0; i < seen.size(); ++i)
            QVERIFY2(seen[i].startsWith(answers[i]), qPrintable(seen[i]));
        QCOMPARE(s.peer.received(), wire);
    }

    void badClientsUnderAFlood()
    {
        // While the board floods, clients send garbage, overlong lines,
        // never read their answers, come and go by the hundred, and leave in
        // the middle of a command. The window goes on, and the board hears
        // only whole, valid commands.
        WindowFixture fx;
        FormTavermund &f = fx.start();
        ScriptedBoard device(fx.peer());
        QSignalSpy readBack(&f.station(), &BenchStation::readBackDone);
        QTRY_VERIFY(f.station().isBoardFound());
        ControlServer server(f.station(), 1s);
        server.serveLocally();
        QTimer flood;
        connect(&flood, &QTimer::timeout, [&] { fx.peer().write(QByteArray("flood 0123456789\r").repeated(20)); });
        flood.start(1);

        Client garbage(server.localPath());
        QByteArray junk;
        for (int i = 0; i < 20000; ++i)
            junk += char(i * 7919 % 251 + 1);
        garbage.socket.write(junk + '\n');
        Client longLine(server.localPath());
        longLine.socket.write(QByteArray(5000, 'A') + "\n");
        Client deaf(server.localPath());
        deaf.socket.write(QByteArray("*IDN?\n").repeated(30000));
        for (int i = 0; i < 100; ++i) {
            QLocalSocket passing;
            passing.connectToServer(server.localPath());
            QVERIFY(passing.waitForConnected(1000));
            QCoreApplication::processEvents(); // the server takes it, as a client's own loop would wait
        }
        {
            Client leaving(server.localPath());
            leaving.socket.write("SOUR:PWM:FREQ:IND 5;DCYC?\n");
            QVERIFY(leaving.socket.waitForBytesWritten(1000));
        }
        QTRY_VERIFY(deaf.socket.state() == QLocalSocket::UnconnectedState); // dropped past its bound
        QCOMPARE(longLine.ask({"SYST:ERR?"}), QStringList{"-363,\"Input buffer overrun; a line longer than the server takes was dropped\""});
        QVERIFY(garbage.ask({"SYST:ERR?"}).value(0).startsWith(u'-'));
        flood.stop();
        fx.peer().write("end\r");
        QTRY_VERIFY(fx.statuses.contains(QStringLiteral("COM:1 Baud:9600 COM data: end")));

        Client good(server.localPath());
        QCOMPARE(good.ask({"SOUR:PWM:DCYC 42;DCYC?"}), QStringList{"42"});
        QTRY_VERIFY(!readBack.isEmpty()); // its steps may go out inside a click's pause, as timers tick there
        fx.peer().clearReceived();
        f.ui.cmd50P->click();
        QTRY_COMPARE(fx.peer().received(), QByteArray("1SV1=50\rPV1?\r"));
        static const QRegularExpression valid(QStringLiteral("^(|1BS\\?|1SV[12](=\\d+)?|PV1\\?|1PV1)$"));
        for (const QByteArray &line : device.heard)
            QVERIFY2(valid.match(QString::fromLatin1(line)).hasMatch(), line.constData());
    }
};

QTEST_MAIN(TestScpi)
#include "tst_scpi.moc"
