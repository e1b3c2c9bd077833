// The settings between file, state, panel and MSComm1, and the shell that
// (re)starts the link - without the window.

#include "StationFixture.h"

#include <QDir>
#include <QFileInfo>
#include <QTest>

#include <csignal>
#include <sys/resource.h>

namespace {

const QByteArray Defaults("1,\"9600\",\"1\",0,\"-\"\r\n\"PWM(%):\",\"Label2\",\"nc\",\"nc\"\r\n");

SettingsKeeper::PanelEntries entries(const QString &com, const QString &caption = QStringLiteral("PWM(%):"))
{
    return {{QString(), com, QStringLiteral("9600"), QStringLiteral("1"), QStringLiteral("0"), QStringLiteral("-")},
            {QString(), caption, QStringLiteral("Label2"), QStringLiteral("nc"), QStringLiteral("nc")}};
}

} // namespace

class TestSettingsKeeper : public QObject
{
    Q_OBJECT

private slots:
    void load_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<int>("port");
        QTest::newRow("no file") << QByteArray() << 1;
        QTest::newRow("as written") << QByteArray("2,\"19200\",\"B\",0,\"-\"\r\n\"a\",\"b\",\"c\",\"d\"\r\n") << 2;
        // Values the serial component refuses: the defaults, all nine.
        QTest::newRow("port refused") << QByteArray("300,\"9600\",\"B\",0,\"-\"\r\n\"a\",\"b\",\"c\",\"d\"\r\n") << 1;
        QTest::newRow("baud refused") << QByteArray("2,\"fast\",\"B\",0,\"-\"\r\n\"a\",\"b\",\"c\",\"d\"\r\n") << 1;
    }
    void load()
    {
        QFETCH(QByteArray, file);
        QFETCH(int, port);
        StationFixture s(false);
        if (!file.isEmpty())
            s.dir.writeIni(file);
        s.station.start();
        QCOMPARE(s.log.count("loaded"), 1);
        QCOMPARE(s.station.settingsInUse().commPort, std::int16_t(port));
        QCOMPARE(s.station.settingsInUse().tempNames[1], QString::fromLatin1(port == 1 ? "PWM(%):" : "a"));
        QCOMPARE(s.probe.MSComm1().CommPort(), port);
        QCOMPARE(s.probe.MSComm1().Settings(), s.station.settingsInUse().baudRate + ",N,8,1");
        QCOMPARE(s.dir.readIni(), file); // never written by a load, nor created
    }

    void save_data()
    {
        QTest::addColumn<QString>("com");
        QTest::addColumn<QByteArray>("line1");
        QTest::newRow("1") << "1" << Defaults.left(Defaults.indexOf('\n') + 1);
        QTest::newRow("2.5 to even") << "2.5" << QByteArray("2,\"9600\",\"1\",0,\"-\"\r\n");
    }
    void save()
    {
        QFETCH(QString, com);
        QFETCH(QByteArray, line1);
        StationFixture s(false);
        s.station.start();
        s.probe.MSComm1().setPortOpen(true);
        s.station.openSettings();
        QVERIFY(s.station.isPanelOpen());
        s.log.clear();
        s.station.saveSettings(entries(com));
        QCOMPARE(s.dir.readIni(), line1 + Defaults.mid(Defaults.indexOf('\n') + 1));
        QVERIFY(!s.probe.MSComm1().PortOpen()); // closed before the save
        QCOMPARE(s.station.settingsInUse().commPort, std::int16_t(line1.left(1).toInt()));
        // The save restarts the link from the file.
        QCOMPARE(s.log, (QStringList{"loaded", "#C0FFFF", "wait...", "panel closed"}));
        QVERIFY(!s.station.isPanelOpen());
    }

    void saveRefused_data()
    {
        QTest::addColumn<QString>("com");
        QTest::addColumn<bool>("diskFull");
        QTest::addColumn<QString>("link"); // com2 before; empty: no port chosen
        QTest::newRow("COM empty") << "" << false << "";
        QTest::newRow("COM letters") << "two" << false << "";
        QTest::newRow("COM beyond 16 bits") << "40000" << false << "";
        QTest::newRow("disk full") << "2" << true << "";
        QTest::newRow("disk full, port chosen for a new com2") << "2" << true << "none";
        QTest::newRow("disk full, port chosen over com2") << "2" << true << "/dev/null";
    }
    void saveRefused()
    {
        // Nothing is written and nothing changes; the operator is told why and
        // keeps the panel with the entries.
        QFETCH(QString, com);
        QFETCH(bool, diskFull);
        QFETCH(QString, link);
        StationFixture s(false);
        s.dir.writeIni(Defaults);
        s.station.start();
        s.station.openSettings();
        s.log.clear();
        QVERIFY(!link.startsWith('/') || QFile::link(link, s.dir.linkPath(2)));
        if (!link.isEmpty())
            s.station.choosePort({"Board", "", "", "pts", s.peer.slavePath(), s.peer.slavePath()});
        rlimit old{};
        getrlimit(RLIMIT_FSIZE, &old);
        auto previous = std::signal(SIGXFSZ, SIG_IGN);
        rlimit tiny = old;
        tiny.rlim_cur = diskFull ? 1 : old.rlim_cur; // the disk fills up after one byte, even for root
        setrlimit(RLIMIT_FSIZE, &tiny);
        s.station.saveSettings(entries(com, QStringLiteral("a much longer caption than before")));
        setrlimit(RLIMIT_FSIZE, &old);
        std::signal(SIGXFSZ, previous);
        QCOMPARE(s.asked.size(), 1);
        QCOMPARE(QFileInfo(s.dir.linkPath(2)).symLinkTarget(), link.startsWith('/') ? link : QString());
        const QString told = !diskFull ? QStringLiteral("COM entry \"%1\"").arg(com)
            : link.isEmpty()           ? s.dir.iniPath()
                                       : s.dir.linkPath(2) + "\nis as it was";
        QVERIFY2(s.asked[0].prompt.contains(told), qPrintable(s.asked[0].prompt));
        QVERIFY(!diskFull || !link.isEmpty() || s.asked[0].prompt.contains("File too large")); // the system's reason
        QCOMPARE(s.log, diskFull ? QStringList() : QStringList{"refused 1"});
        QVERIFY(s.station.isPanelOpen());
        QCOMPARE(s.dir.readIni(), Defaults);
        QCOMPARE(QDir(s.dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 2 + link.startsWith('/')); // no temporary file left
        QCOMPARE(s.station.settingsInUse().tempNames[1], QStringLiteral("PWM(%):"));
    }

    void saveWhileFound()
    {
        // The board answers while the panel is open, which starts the poll;
        // the save closes the port on purpose, so the poll stops with it
        // instead of failing on the closed port as a lost board.
        StationFixture s(false);
        s.dir.writeIni("1,\"9600\",\"1\",1,\"-\"\r\n\"a\",\"b\",\"c\",\"d\"\r\n");
        s.station.start();
        s.station.openSettings();
        QTRY_VERIFY(s.peer.received().contains("\r1BS?\r"));
        s.peer.write("1BSok\r");
        QTRY_VERIFY(s.probe.StTimer().Enabled());
        s.log.clear();
        s.station.saveSettings(entries(QStringLiteral("1")));
        QTRY_VERIFY(s.log.contains("Searching for uc code...")); // the restart's first attempt
        QCOMPARE(s.log.count("loaded"), 1);
        QVERIFY(!s.log.contains("lost, port closed"));
        QVERIFY(!s.probe.StTimer().Enabled());
    }

    void failedSendWhileEditing()
    {
        // Going on after a failed send with the panel open leaves the
        // restart to SAVE-CLOSE: the panel is not reloaded over the edits.
        StationFixture s(false);
        s.station.start();
        s.station.openSettings();
        s.log.clear();
        s.station.pressFrequency(3); // the port is closed
        QCOMPARE(s.asked.size(), 1);
        QCOMPARE(s.log, QStringList{"unlock"});
        QVERIFY(s.station.isPanelOpen());
    }

    void loadUnderAnotherName()
    {
        StationFixture s(false, QStringLiteral("Bench2"));
        s.dir.writeIni("4,\"19200\",\"C\",0,\"-\"\r\n\"a\",\"b\",\"c\",\"d\"\r\n");
        s.station.start();
        QCOMPARE(s.log, (QStringList{"title Kelvandor: Bench2", "Status:", "loaded", "#C0FFFF", "wait..."}));
        QCOMPARE(s.probe.state().settingsPath, s.dir.path() + QStringLiteral("/Bench2.ini"));
        QCOMPARE(s.station.settingsInUse().commPort, std::int16_t(4));
        QVERIFY(s.probe.Timer1().Enabled() && !s.probe.TimerCom().Enabled());
    }
};

QTEST_GUILESS_MAIN(TestSettingsKeeper)
#include "tst_settingskeeper.moc"
