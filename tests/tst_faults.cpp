// The fault suite: the real window against the simulated board's fault
// options on real pseudo-terminals, on a compressed clock. Every scenario
// ends with the process alive, the window taking input and the settings
// file as it was unless a save was asked for. The results are printed as a
// table (and written to fault-table.md in the working folder).

#include "EventWait.h"
#include "SimProcess.h"
#include "WindowFixture.h"

#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QRandomGenerator>
#include <QSerialPort>
#include <QTest>

#include <fcntl.h>
#include <grp.h>
#include <stdlib.h>
#include <unistd.h>

namespace {

const QByteArray Defaults("1,\"9600\",\"1\",0,\"-\"\r\n\"PWM(%):\",\"Label2\",\"nc\",\"nc\"\r\n");

long residentKib()
{
    QFile status(QStringLiteral("/proc/self/status"));
    status.open(QIODevice::ReadOnly);
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    }
    return -1;
}

// The window in its own folder; the simulator makes the com1 link itself.
struct Scenario : WindowFixture
{
    QByteArray ini;
    explicit Scenario(const QByteArray &settings = {})
        : WindowFixture(settings, 1, false)
        , ini(settings)
    {
    }
    bool found(int timeoutMs = 5000)
    {
        return QTest::qWaitFor([&] { return status() == QStringLiteral("Found: 1BSok"); }, timeoutMs);
    }
    // The end condition of every scenario.
    QString problems(bool saveAsked = false)
    {
        QStringList out;
        if (form().inputLocked())
            out << QStringLiteral("window locked");
        if (!saveAsked && dir().readIni() != ini)
            out << QStringLiteral("settings file changed");
        return out.join(QStringLiteral(", "));
    }
};

} // namespace

class TestFaults : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QApplication::setStyle(QStringLiteral("Fusion")); }
    void cleanup();
    void cleanupTestCase();

    void unpluggedThreeTimes();
    void busyPort();
    void missingPort_data();
    void missingPort();
    void boardFound_data();
    void boardFound();
    void readOnlySettingsFolder_data();
    void readOnlySettingsFolder();

private:
    QString m_detail;
    QStringList m_rows;
};

void TestFaults::cleanup()
{
    QString name = QString::fromLatin1(QTest::currentTestFunction());
    if (QTest::currentDataTag())
        name += QStringLiteral(" (%1)").arg(QString::fromLatin1(QTest::currentDataTag()));
    m_rows << QStringLiteral("| %1 | %2 | %3 |").arg(name, QTest::currentTestFailed() ? "FAIL" : "pass", m_detail);
    m_detail.clear();
}

void TestFaults::cleanupTestCase()
{
    const QString table = QStringLiteral("| Scenario | Result | What happened |\n|---|---|---|\n") + m_rows.join('\n') + '\n';
    qInfo().noquote() << "\n" << table;
    QFile file(QStringLiteral("fault-table.md"));
    if (file.open(QIODevice::WriteOnly))
        file.write(table.toUtf8());
}

void TestFaults::unpluggedThreeTimes()
{
    Scenario s;
    SimProcess sim(s.dir().path(), {"--hangup-after", "1", "--reappear-after", "0.5", "--cycles", "3"});
    QVERIFY(sim.ready());
    FormTavermund &f = s.start();
    QVERIFY(QTest::qWaitFor([&] { return sim.count(" reappear ") >= 3 && s.statuses.count("Found: 1BSok") >= 4; }, 20000));
    QCOMPARE(s.statuses.count("Found: 1BSok"), 4);
    const QStringList errors = s.statuses.filter("COM Port comm-error! ");
    QVERIFY(errors.size() >= 3);
    QVERIFY(s.found(1000));
    QVERIFY(f.MSComm1.PortOpen());
    QVERIFY(s.asked.isEmpty());
    QCOMPARE(s.problems(), QString());
    m_detail = QStringLiteral("lost 3 times (%1), found again each time without a click").arg(errors.first());
}

void TestFaults::busyPort()
{
    Scenario s;
    SimProcess sim(s.dir().path(), {});
    QVERIFY(sim.ready());
    QSerialPort other(QFile::symLinkTarget(s.dir().linkPath(1)));
    QVERIFY(other.open(QIODevice::ReadWrite));
    FormTavermund &f = s.start();
    QVERIFY(QTest::qWaitFor([&] { return s.statuses.count("Port already open!") >= 2; }, 5000));
    QCOMPARE(s.statusBack(), 0x8080FFu);
    QVERIFY(!f.MSComm1.PortOpen());
    other.close();
    QVERIFY(s.found());
    QCOMPARE(s.problems(), QString());
    m_detail = QStringLiteral("\"Port already open!\" on every attempt; found once released");
}

void TestFaults::missingPort_data()
{
    QTest::addColumn<bool>("nodeExists");
    QTest::newRow("no such device") << false;
    // A node with nothing behind it, like /dev/ttyS1 on a PC without a
    // second UART: the slave of a pseudo-terminal that was never unlocked
    // refuses to open with EIO, as such a node does.
    QTest::newRow("node without a device") << true;
}

void TestFaults::missingPort()
{
    QFETCH(bool, nodeExists);
    Scenario s(Defaults);
    const int master = nodeExists ? posix_openpt(O_RDWR | O_NOCTTY) : -1;
    const QString target = nodeExists ? QString::fromLocal8Bit(ptsname(master)) : s.dir().path() + "/unplugged";
    QVERIFY(QFile::link(target, s.dir().linkPath(1)));
    FormTavermund &f = s.start();
    QTRY_COMPARE(s.status(), QStringLiteral("Invalid Port Number!"));
    QCOMPARE(WindowFixture::pixel(f.ui.lblStatus), 0x8080FFu);
    QVERIFY(f.TimerCom.Enabled()); // started before the open failed
    QVERIFY(QTest::qWaitFor([&] { return s.statuses.count("Invalid Port Number!") >= 2; }, 5000));
    QTRY_COMPARE(s.status(), QStringLiteral("No response!"));
    QVERIFY(f.Timer1.Enabled());
    QCOMPARE(s.statuses.filter(QStringLiteral("comm-error")), QStringList());
    QCOMPARE(s.problems(), QString());
    if (master >= 0)
        ::close(master);
    m_detail = QStringLiteral("\"Invalid Port Number!\" on every attempt, \"No response!\" between");
}

void TestFaults::boardFound_data()
{
    QTest::addColumn<QStringList>("simulator");
    QTest::addColumn<QByteArray>("ini");
    QTest::addColumn<QString>("detail");
    const QStringList plain;
    // Garbage without a carriage return, NULs and bytes >= 0x80 among it.
    QTest::newRow("garbage flood") << QStringList{"--flood", "32M"} << QByteArray()
                                   << "32 MiB without a line end: \"???\", memory %1 -> peak %2 KiB, then found";
    QByteArray binary(4096, '\0');
    for (char &c : binary)
        c = char(QRandomGenerator::global()->bounded(256));
    QTest::newRow("binary settings") << plain << binary << "defaults used, found on COM1";
}

void TestFaults::boardFound()
{
    QFETCH(QStringList, simulator);
    QFETCH(QByteArray, ini);
    QFETCH(QString, detail);
    Scenario s(ini);
    SimProcess sim(s.dir().path(), simulator);
    QVERIFY(sim.ready());
    s.start();
    QVERIFY(runEventsUntil([&] { return s.form().MSComm1.PortOpen(); }, 5000));
    const long before = residentKib();
    long peak = before;
    QVERIFY(runEventsUntil([&] {
        peak = std::max(peak, residentKib());
        return s.status() == QStringLiteral("Found: 1BSok");
    }, 90000));
#if !defined(__SANITIZE_ADDRESS__) // ASan's quarantine keeps freed memory resident
    QVERIFY2(peak - before < 20 * 1024, qPrintable(QStringLiteral("grew by %1 KiB").arg(peak - before)));
#endif
    QCOMPARE(s.statuses.contains("???"), simulator.contains("--flood"));
    QCOMPARE(sim.count(" open"), 1);
    QCOMPARE(s.problems(), QString());
    m_detail = detail.contains(u'%') ? detail.arg(before).arg(peak) : detail;
}

void TestFaults::readOnlySettingsFolder_data()
{
    QTest::addColumn<bool>("fileWritable");
    QTest::newRow("file writable") << true;
    QTest::newRow("file read-only") << false;
}

void TestFaults::readOnlySettingsFolder()
{
    // A folder the operator may not write to, as on a shared bench PC. Root
    // may write anywhere, so the save runs in a child as an unprivileged user.
    QFETCH(bool, fileWritable);
    TempExeDir dir;
    const QByteArray old("1,\"9600\",\"1\",0,\"-\"\r\n\"a\",\"b\",\"c\",\"d\"\r\n");
    dir.writeIni(old);
    const bool root = geteuid() == 0;
    if (root) {
        QVERIFY(chown(QFile::encodeName(dir.path()).constData(), 65534, 65534) == 0);
        QVERIFY(chown(QFile::encodeName(dir.iniPath()).constData(), 65534, 65534) == 0);
    }
    const auto readOnly = QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther;
    QFile::setPermissions(dir.path(), readOnly | QFile::ExeOwner | QFile::ExeGroup | QFile::ExeOther);
    if (!fileWritable)
        QFile::setPermissions(dir.iniPath(), readOnly);
    QProcess probe;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    probe.setProcessEnvironment(env);
    if (root) {
        probe.setChildProcessModifier([] {
            const gid_t nogroup = 65534;
            if (setgroups(1, &nogroup) != 0 || setgid(65534) != 0 || setuid(65534) != 0)
                _exit(99);
        });
    }
    probe.start(QStringLiteral(TAVERMUND_PROBE_SAVE), {dir.path()});
    QVERIFY(probe.waitForFinished(30000));
    const QByteArray out = probe.readAllStandardOutput();
    QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QCOMPARE(probe.exitCode(), 0);
    if (fileWritable) {
        // Overwritten in place, and read back by the link restart.
        QVERIFY2(out.contains("panel closed") && out.contains("label changed"), out.constData());
        QCOMPARE(dir.readIni(), QByteArray(old).replace("\"a\"", "\"changed\""));
        m_detail = QStringLiteral("saved in place and read back; panel closed");
        return;
    }
    QVERIFY2(out.contains("panel open") && out.contains("caption changed") && out.contains("label a"), out.constData());
    QVERIFY2(out.contains(dir.iniPath().toLocal8Bit()), out.constData());
    QCOMPARE(dir.readIni(), old);
    const QByteArray told = out.mid(out.indexOf('('), out.indexOf(')') - out.indexOf('(') + 1);
    m_detail = QStringLiteral("told the path and the reason %1; panel kept open with the entry; file unchanged")
                   .arg(QString::fromLocal8Bit(told));
}

QTEST_MAIN(TestFaults)
#include "tst_faults.moc"
