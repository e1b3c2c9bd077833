// What scripts and remote clients ask of the board: which reply answers
// which command (ReplyLedger), which answers are readings (ReplyValue), and
// the queue that runs requests on a station whose board is played on a
// pseudo-terminal.

#include "ScriptedBoard.h"
#include "StationFixture.h"
#include "request/ReplyValue.h"
#include "request/RequestQueue.h"

#include <QSignalSpy>
#include <QTest>

namespace {

using Kind = BoardRequest::Kind;
using Status = RequestOutcome::Status;

} // namespace

class TestRequests : public QObject
{
    Q_OBJECT

private slots:
    void ledger_data()
    {
        // "s" a command sent, "r" a line received, "+11" seconds passing;
        // each reply's match as "command<-reply", or "-" for none.
        QTest::addColumn<QStringList>("events");
        QTest::addColumn<QStringList>("matches");
        QTest::newRow("a set's echo, then the query's answer")
            << QStringList{"s 1SV1=50", "s 1SV1", "r 1SV1=50", "r 1SV1=49"}
            << QStringList{"1SV1=50<-1SV1=50", "1SV1<-1SV1=49"};
        QTest::newRow("each kind in its own order")
            << QStringList{"s 1SV1", "s 1SV2", "s PV1?", "s 1PV1", "r 1SV2=3", "r 1PV1=5", "r 1SV1=7", "r 1PV1=6"}
            << QStringList{"1SV2<-1SV2=3", "PV1?<-1PV1=5", "1SV1<-1SV1=7", "1PV1<-1PV1=6"};
        QTest::newRow("nothing waits, another ID, no value")
            << QStringList{"r 1SV1=5", "s 1SV1", "r 2SV1=5", "r 1BSok", "r 1SV1x"} << QStringList{"-", "-", "-", "-"};
        QTest::newRow("the search and an unknown command earn nothing")
            << QStringList{"s \r1BS?", "s 1XY", "r 1SV1=5"} << QStringList{"-"};
        QTest::newRow("a command left unanswered is forgotten")
            << QStringList{"s 1SV1", "+11", "s 1SV1=4", "r 1SV1=4"} << QStringList{"1SV1=4<-1SV1=4"};
    }
    void ledger()
    {
        QFETCH(QStringList, events);
        QFETCH(QStringList, matches);
        ReplyLedger ledger(std::chrono::seconds(10));
        ReplyLedger::Clock::time_point now{};
        QStringList seen;
        for (const QString &event : events) {
            const QString text = event.mid(2);
            if (event.startsWith(u'+'))
                now += std::chrono::seconds(event.mid(1).toInt());
            else if (event.startsWith(u's'))
                ledger.sent(text, QStringLiteral("1"), now);
            else if (const auto a = ledger.received(text, QStringLiteral("1"), now))
                seen << a->command + QStringLiteral("<-") + a->reply;
            else
                seen << QStringLiteral("-");
        }
        QCOMPARE(seen, matches);
    }

    void values_data()
    {
        QTest::addColumn<QString>("reply");
        QTest::addColumn<bool>("frequency");
        QTest::addColumn<QString>("problem"); // empty: a good reading
        QTest::newRow("37.5") << "1SV1=37.5" << false << "";
        QTest::newRow("blanks around") << "1SV1= 42 " << false << "";
        QTest::newRow("no whole part") << "1SV1=.75" << false << "";
        QTest::newRow("duty 100.5") << "1SV1=100.5" << false << "100.5 is not a duty from 0 to 100";
        QTest::newRow("duty -1") << "1SV1=-1" << false << "-1 is not a duty from 0 to 100";
        QTest::newRow("hex") << "1SV1=0x1A" << false << "\"0x1A\" is not a number";
        QTest::newRow("two numbers") << "1SV1=12 34" << false << "\"12 34\" is not a number";
        QTest::newRow("beyond single") << "1SV1=1e400" << false << "\"1e400\" is not a number";
        QTest::newRow("empty") << "1SV1=" << false << "\"\" is not a number";
        QTest::newRow("index 3.0") << "1SV2=3.0" << true << "";
        QTest::newRow("index 7") << "1SV2=7" << true << "";
        QTest::newRow("index 2.5") << "1SV2=2.5" << true << "2.5 is not a frequency index from 1 to 7";
        QTest::newRow("index 0") << "1SV2=0" << true << "0 is not a frequency index from 1 to 7";
        QTest::newRow("index 9") << "1SV2=9" << true << "9 is not a frequency index from 1 to 7";
    }
    void values()
    {
        QFETCH(QString, reply);
        QFETCH(bool, frequency);
        QFETCH(QString, problem);
        const auto reading = ReplyValue::read(reply, frequency ? ReplyValue::Range::FrequencyIndex : ReplyValue::Range::Duty);
        QCOMPARE(reading.problem(), problem);
    }

    void queue_data()
    {
        QTest::addColumn<QString>("board");     // how the board answers
        QTest::addColumn<int>("kind");          // BoardRequest::Kind
        QTest::addColumn<int>("value");
        QTest::addColumn<int>("status");        // RequestOutcome::Status
        QTest::addColumn<QString>("valueText"); // for readings
        QTest::addColumn<QByteArray>("wire");   // after the search
        QTest::newRow("50% confirmed") << "" << int(Kind::DutyPreset) << 50 << int(Status::Done) << ""
                                       << QByteArray("1SV1=50\rPV1?\r");
        QTest::newRow("typed 38 confirmed") << "" << int(Kind::DutyTyped) << 0 << int(Status::Done) << ""
                                            << QByteArray("1SV1=38\r");
        QTest::newRow("frequency answered otherwise") << "other" << int(Kind::Frequency) << 4
                                                      << int(Status::OtherValue) << "1" << QByteArray("1SV2=4\r");
        QTest::newRow("set ignored") << "deaf to sets" << int(Kind::Frequency) << 4 << int(Status::NoAnswer) << ""
                                     << QByteArray("1SV2=4\r");
        QTest::newRow("duty read") << "" << int(Kind::AskDuty) << 0 << int(Status::Done) << "37"
                                   << QByteArray("1SV1\r");
        QTest::newRow("index outside") << "index 9" << int(Kind::AskFrequency) << 0 << int(Status::OutsideProtocol)
                                       << "9" << QByteArray("1SV2\r");
        QTest::newRow("poll measured") << "" << int(Kind::Measure) << 0 << int(Status::Done) << "37"
                                       << QByteArray("1PV1\r");
        // The operator's query and set go out first and their answers come
        // late, after the request's own query: they are theirs (the first
        // carries the old index), and the query gets its own.
        QTest::newRow("late answers ahead of a read") << "late" << int(Kind::AskFrequency) << 0 << int(Status::Done)
                                                      << "5" << QByteArray("1SV2\r1SV2=5\r1SV2\r");
        QTest::newRow("no board") << "absent" << int(Kind::AskDuty) << 0 << int(Status::NotFound) << ""
                                  << QByteArray();
        QTest::newRow("board lost while asked") << "lost" << int(Kind::AskDuty) << 0 << int(Status::NotFound) << ""
                                                << QByteArray("1SV1\r");
        // The operator clicks a frequency inside the pause after the
        // request's last command: the click's set is not the request's.
        QTest::newRow("a click inside its pause") << "click" << int(Kind::DutyTyped) << 0 << int(Status::Done) << ""
                                                  << QByteArray("1SV1=38\r1SV2=5\r");
    }
    void queue()
    {
        QFETCH(QString, board);
        QFETCH(int, kind);
        QFETCH(int, value);
        QFETCH(int, status);
        QFETCH(QString, valueText);
        QFETCH(QByteArray, wire);
        StationFixture s(false, QStringLiteral("Tavermund"), Intervals{}.compressed(5));
        ScriptedBoard device(s.peer);
        device.ignoreSets = board == "deaf to sets";
        if (board == "other")
            device.replace.insert("1SV2=4\r", "1SV2=1\r");
        if (board == "index 9")
            device.replace.insert("1SV2=3\r", "1SV2=9\r");
        RequestQueue requests(s.station, std::chrono::milliseconds(300));
        QSignalSpy finished(&requests, &RequestQueue::finished);
        QVERIFY(board == "absent" || s.findBoard());
        device.holding = board == "late" || board == "lost"; // "lost" never answers
        if (board == "late") {
            s.station.askFrequency();
            s.station.pressFrequency(5);
        }
        if (board == "click") {
            connect(&s.station, &BenchStation::commandIssued, &requests, [&s](quint64, const QString &command) {
                if (command == u"1SV1=38") // the pause that follows runs the click
                    QTimer::singleShot(0, &s.station, [&s] { s.station.pressFrequency(5); });
            });
        }
        requests.submit({BoardRequest::Kind(kind), value, QStringLiteral("37.5")});
        if (board == "late") {
            QTRY_VERIFY(s.peer.received().endsWith("5\r1SV2\r"));
            device.release();
        }
        if (board == "lost") {
            QTRY_COMPARE(s.peer.received(), wire);
            s.peer.hangUp(); // told at once, not at the time-out
        }
        QTRY_COMPARE(finished.size(), 1);
        const auto outcome = finished[0][1].value<RequestOutcome>();
        QCOMPARE(int(outcome.status), status);
        QCOMPARE(outcome.valueText, valueText);
        QCOMPARE(s.peer.received(), wire);
    }

    void oneAtATimeAfterThePause()
    {
        // Requests wait for the operator's command to finish its pauses, and
        // then go out one after another, each once the one before is done.
        StationFixture s(false);
        ScriptedBoard device(s.peer);
        RequestQueue requests(s.station, std::chrono::seconds(2));
        QSignalSpy finished(&requests, &RequestQueue::finished);
        QVERIFY(s.findBoard());
        QTimer::singleShot(0, &s.station, [&] {
            requests.submit({Kind::Frequency, 6, {}});
            requests.submit({Kind::Barrier, 0, {}});
            QVERIFY(s.station.isBusy());
        });
        s.station.pressDuty(0);
        QTRY_COMPARE(finished.size(), 2);
        QCOMPARE(s.peer.received(), QByteArray("1SV1=0\rPV1?\r1SV2=6\r"));
    }
};

QTEST_GUILESS_MAIN(TestRequests)
#include "tst_requests.moc"
