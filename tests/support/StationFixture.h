#pragma once

#include "PtyPeer.h"
#include "StationProbe.h"
#include "TempExeDir.h"
#include "app/BenchStation.h"

#include <QStringList>
#include <QTest>

// A bench station without a window, on a clock ten times faster: its com1 is
// a pseudo-terminal (the test plays the device on the master side), and a
// scripted operator answers Yes unless told otherwise. Everything it
// reports is logged in order: captions as they are, colours as "#BBGGRR",
// the rest in words.
struct StationFixture
{
    explicit StationFixture(bool open = true, const QString &executableName = QStringLiteral("Tavermund"),
                            Intervals intervals = Intervals{}.compressed(10))
        : dir(executableName)
        , station(options(dir, ask, intervals))
        , probe(station)
    {
        peer.linkAs(dir.linkPath(1));
        BenchStation &s = station;
        probe.state().settings = SettingsValues::defaults();
        if (open) {
            probe.MSComm1().setRThreshold(1);
            probe.MSComm1().setInputLen(1);
            probe.MSComm1().setPortOpen(true);
        }
        const auto says = [this](const QString &what) {
            return [this, what](auto... value) { log << (what + ... + QStringLiteral(" %1").arg(value)); };
        };
        QObject::connect(&s, &BenchStation::statusChanged, [this](const QString &text) { log << text; });
        QObject::connect(&s, &BenchStation::statusColourChanged, [this](std::uint32_t c) {
            log << QStringLiteral("#%1").arg(c, 6, 16, QChar(u'0')).toUpper();
        });
        QObject::connect(&s.display(), &DisplayBatch::writeDuty, says(QStringLiteral("duty")));
        QObject::connect(&s.display(), &DisplayBatch::writeFrequency, says(QStringLiteral("frequency")));
        QObject::connect(&s, &BenchStation::captionChanged, says(QStringLiteral("title")));
        QObject::connect(&s, &BenchStation::settingsLoaded, [this] { log << "loaded"; });
        QObject::connect(&s, &BenchStation::panelOpened, says(QStringLiteral("panel open")));
        QObject::connect(&s, &BenchStation::panelClosed, says(QStringLiteral("panel closed")));
        QObject::connect(&s, &BenchStation::entryRefused, says(QStringLiteral("refused")));
        QObject::connect(&s, &BenchStation::deviceFound, says(QStringLiteral("found")));
        QObject::connect(&s, &BenchStation::deviceLost, [this](int error) {
            log << QStringLiteral("lost, port %1").arg(probe.MSComm1().PortOpen() ? "open" : "closed");
            lostWith = error;
        });
        QObject::connect(&s, &BenchStation::inputLockChanged, [this](bool on) { log << (on ? "lock" : "unlock"); });
        QObject::connect(&s, &BenchStation::controlsEnabled, says(QStringLiteral("enabled")));
        QObject::connect(&s, &BenchStation::readBackDone, says(QStringLiteral("read back")));
        QObject::connect(&s, &BenchStation::dutyEntryChanged, says(QStringLiteral("box")));
    }

    // The board on the peer answers the search; no read-back follows, and
    // what the search put on the wire is forgotten.
    bool findBoard()
    {
        station.searchNow();
        if (!QTest::qWaitFor([this] { return station.isBoardFound(); }, 5000))
            return false;
        probe.Timer2().setEnabled(false);
        peer.clearReceived();
        return true;
    }

    static StationOptions options(const TempExeDir &dir, const AskOperator &ask, Intervals intervals)
    {
        StationOptions o;
        o.executable = dir.executable();
        o.ask = ask;
        o.intervals = intervals;
        return o;
    }

    QList<MessageRequest> asked;
    QList<int> answers;
    AskOperator ask = [this](const MessageRequest &request) {
        asked << request;
        return answers.isEmpty() ? int(MessageRequest::Yes) : answers.takeFirst();
    };
    TempExeDir dir;
    PtyPeer peer;
    BenchStation station;
    StationProbe probe;
    QStringList log;
    int lostWith = 0;
};
