// The settings between file, state, panel and MSComm1, and the shell that
// restarts the link and asks before the exit - without the window.

#include "PortRig.h"
#include "app/AppShell.h"
#include "link/LinkSession.h"
#include "link/ReplyState.h"
#include "settings/SettingsKeeper.h"
#include "toolkit/WindowTimer.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTest>

#include <csignal>
#include <sys/resource.h>

using namespace std::chrono_literals;

namespace {

const QByteArray Defaults("1,\"9600\",\"1\",0,\"-\"\r\n\"PWM(%):\",\"Label2\",\"nc\",\"nc\"\r\n");

struct Shell : PortRig
{
    SettingsValues values;
    QString path;
    ReplyState replies;
    WindowTimer retry{QStringLiteral("Timer1"), 250ms};
    WindowTimer timeout{QStringLiteral("TimerCom"), 500ms};
    SettingsKeeper keeper;
    LinkSession link{comm, values, replies, retry, timeout};
    AppShell shell;
    QList<SettingsValues> loaded;

    explicit Shell(const QByteArray &ini = {}, const QString &name = QStringLiteral("Tavermund"))
        : PortRig(false)
        , keeper(comm, values, path, Executable{dir.path(), name}, ask)
        , shell(keeper, link, comm, retry, Executable{dir.path(), name}, ask)
    {
        if (!ini.isEmpty())
            writeIni(name, ini);
        record(&shell);
        QObject::connect(&keeper, &SettingsKeeper::loaded, [this](const SettingsValues &v) { loaded << v; });
    }
    void writeIni(const QString &name, const QByteArray &bytes)
    {
        QFile file(dir.path() + '/' + name + ".ini");
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
    }
    SettingsKeeper::PanelEntries entries(const QString &com, const QString &caption = QStringLiteral("PWM(%):"))
    {
        return {{QString(), com, QStringLiteral("9600"), QStringLiteral("1"), QStringLiteral("0"), QStringLiteral("-")},
                {QString(), caption, QStringLiteral("Label2"), QStringLiteral("nc"), QStringLiteral("nc")}};
    }
};

} // namespace

class TestSettingsKeeper : public QObject
{
    Q_OBJECT

private slots:
    void load_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<int>("port");
        QTest::addColumn<QString>("id");
        QTest::addColumn<QString>("caption");
        QTest::newRow("no file") << QByteArray() << 1 << "1" << "PWM(%):";
        QTest::newRow("port refused") << QByteArray("300,\"9600\",\"B\",0,\"-\"\r\n\"a\",\"b\",\"c\",\"d\"\r\n") << 1 << "1"
                                      << "PWM(%):";
        QTest::newRow("baud refused") << QByteArray("2,\"fast\",\"B\",0,\"-\"\r\n\"a\",\"b\",\"c\",\"d\"\r\n") << 1 << "1"
                                      << "PWM(%):";
    }
    void load()
    {
        QFETCH(QByteArray, file);
        QFETCH(int, port);
        QFETCH(QString, id);
        QFETCH(QString, caption);
        Shell s(file);
        s.keeper.LoadSettings();
        QCOMPARE(s.loaded.size(), 1);
        QCOMPARE(s.loaded[0], s.values);
        QCOMPARE(s.values.commPort, std::int16_t(port));
        QCOMPARE(s.values.deviceId, id);
        QCOMPARE(s.values.tempNames[1], caption);
        QCOMPARE(s.comm.CommPort(), port);
        QCOMPARE(s.comm.Settings(), s.values.baudRate + ",N,8,1");
        QCOMPARE(s.dir.readIni(), file); // never written by a load, nor created
        QVERIFY(s.asked.isEmpty());
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
        Shell s;
        s.keeper.LoadSettings();
        s.comm.setPortOpen(true);
        QSignalSpy saved(&s.keeper, &SettingsKeeper::saved);
        QSignalSpy closed(&s.keeper, &SettingsKeeper::panelClosed);
        s.keeper.cmdSet_Click();
        QVERIFY(s.keeper.isPanelOpen());
        s.keeper.cmdExit_Click(s.entries(com));
        QCOMPARE(s.dir.readIni(), line1 + Defaults.mid(Defaults.indexOf('\n') + 1));
        QVERIFY(!s.comm.PortOpen()); // closed before the save
        QCOMPARE(s.values.commPort, std::int16_t(line1.left(1).toInt()));
        QCOMPARE(saved.count(), 1);
        QCOMPARE(closed.count(), 1);
        QVERIFY(!s.keeper.isPanelOpen());
    }
    void saveRefused_data()
    {
        QTest::addColumn<QString>("com");
        QTest::addColumn<bool>("diskFull");
        QTest::newRow("COM empty") << "" << false;
        QTest::newRow("COM letters") << "two" << false;
        QTest::newRow("COM beyond 16 bits") << "40000" << false;
        QTest::newRow("disk full") << "2" << true;
    }
    void saveRefused()
    {
        // Nothing is written and nothing changes; the operator is told why and
        // keeps the panel with the entries.
        QFETCH(QString, com);
        QFETCH(bool, diskFull);
        Shell s(Defaults);
        s.keeper.LoadSettings();
        QSignalSpy refused(&s.keeper, &SettingsKeeper::entryRefused);
        QSignalSpy saved(&s.keeper, &SettingsKeeper::saved);
        s.keeper.cmdSet_Click();
        rlimit old{};
        getrlimit(RLIMIT_FSIZE, &old);
        auto previous = std::signal(SIGXFSZ, SIG_IGN);
        rlimit tiny = old;
        tiny.rlim_cur = diskFull ? 20 : old.rlim_cur; // the disk fills up part-way, even for root
        setrlimit(RLIMIT_FSIZE, &tiny);
        s.keeper.cmdExit_Click(s.entries(com, QStringLiteral("a much longer caption than before")));
        setrlimit(RLIMIT_FSIZE, &old);
        std::signal(SIGXFSZ, previous);
        QCOMPARE(s.asked.size(), 1);
        const QString told = diskFull ? s.dir.iniPath() : QStringLiteral("COM entry \"%1\"").arg(com);
        QVERIFY2(s.asked[0].prompt.contains(told), qPrintable(s.asked[0].prompt));
        QCOMPARE(refused.count(), diskFull ? 0 : 1);
        QCOMPARE(refused.value(0).value(0).toInt(), diskFull ? 0 : 1);
        QCOMPARE(saved.count(), 0);
        QVERIFY(s.keeper.isPanelOpen());
        QCOMPARE(s.dir.readIni(), Defaults);
        QCOMPARE(QDir(s.dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 2); // no temporary file left
        QCOMPARE(s.values.tempNames[1], QStringLiteral("PWM(%):"));
    }
    void loadUnderAnotherName()
    {
        Shell s(Defaults, QStringLiteral("Bench2"));
        s.writeIni(QStringLiteral("Bench2"), "4,\"19200\",\"C\",0,\"-\"\r\n\"a\",\"b\",\"c\",\"d\"\r\n");
        QSignalSpy caption(&s.shell, &AppShell::captionChanged);
        s.shell.Form_Load();
        QCOMPARE(caption.value(0).value(0).toString(), QStringLiteral("Kelvandor: Bench2"));
        QCOMPARE(s.log, (QStringList{"Status:", "#C0FFFF", "wait..."}));
        QCOMPARE(s.path, s.dir.path() + QStringLiteral("/Bench2.ini"));
        QCOMPARE(s.values.commPort, std::int16_t(4));
        QVERIFY(s.retry.Enabled());
        QVERIFY(!s.timeout.Enabled());
    }
    void lostDeviceWaitsForTheOpenPanel()
    {
        Shell s;
        s.keeper.LoadSettings();
        s.keeper.cmdSet_Click();
        s.shell.restartUnlessEditing(); // would reload the panel over the edits
        QVERIFY(s.log.isEmpty());
        QVERIFY(!s.retry.Enabled());
        s.keeper.cmdExit_Click(s.entries("1"));
        s.shell.restartUnlessEditing();
        QCOMPARE(s.log, (QStringList{"#C0FFFF", "wait..."}));
        QVERIFY(s.retry.Enabled());
        s.shell.Timer1_Timer(); // a search attempt
        QTRY_COMPARE(s.peer.received(), QByteArray("\r1BS?\r"));
    }
};

QTEST_GUILESS_MAIN(TestSettingsKeeper)
#include "tst_settingskeeper.moc"
