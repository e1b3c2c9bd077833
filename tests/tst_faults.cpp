// The fault suite: the real window against the simulated board's fault
// options on real pseudo-terminals, on a compressed clock. Every scenario
// ends with the window taking input and the settings file as it was unless
// a save was asked for. The results are printed as a table (and written to
// fault-table.md beside the test's executable, in the build folder).

#include "EventWait.h"
#include "SimProcess.h"
#include "StationProbe.h"
#include "WindowFixture.h"

#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QSerialPort>
#include <QTest>

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

namespace {

long residentKib()
{
    QFile status(QStringLiteral("/proc/self/status"));
    status.open(QIODevice::ReadOnly);
    const QByteArray text = status.readAll();
    return text.mid(text.indexOf("VmRSS:") + 6).trimmed().split(' ').value(0).toLong();
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
    bool seen(const QString &status, int times = 1)
    {
        return runEventsUntil([&] { return statuses.count(status) >= times; }, 60000);
    }
    // The end condition of every scenario.
    bool unharmed(bool saved = false) { return !form().inputLocked() && (saved || dir().readIni() == ini); }
};

} // namespace

class TestFaults : public QObject
{
    Q_OBJECT

    QString m_detail;
    QStringList m_rows;

private slots:
    void initTestCase() { QApplication::setStyle(QStringLiteral("Fusion")); }
    void cleanup()
    {
        const QString tag = QString::fromLatin1(QTest::currentDataTag());
        m_rows << QStringLiteral("| %1%2 | %3 | %4 |")
                      .arg(QString::fromLatin1(QTest::currentTestFunction()), tag.isEmpty() ? tag : " (" + tag + ")",
                           QTest::currentTestFailed() ? "FAIL" : "pass", m_detail);
        m_detail.clear();
    }
    void cleanupTestCase()
    {
        const QString table = "| Scenario | Result | What happened |\n|---|---|---|\n" + m_rows.join('\n') + '\n';
        qInfo().noquote() << "\n" << table;
        QFile file(QCoreApplication::applicationDirPath() + QStringLiteral("/fault-table.md"));
        if (file.open(QIODevice::WriteOnly))
            file.write(table.toUtf8());
    }

    void unpluggedThreeTimes()
    {
        Scenario s;
        SimProcess sim(s.dir().path(), {"--hangup-after", "1", "--reappear-after", "0.5", "--cycles", "3"});
        QVERIFY(sim.ready());
        s.start();
        QVERIFY(s.seen(QStringLiteral("Found: 1BSok"), 4));
        const QStringList errors = s.statuses.filter("COM Port comm-error! ");
        QCOMPARE(errors.size(), 3);
        QCOMPARE(sim.count(" reappear "), 3);
        QVERIFY(s.asked.isEmpty() && s.unharmed());
        m_detail = QStringLiteral("lost 3 times (%1), found again each time without a click").arg(errors.first());
    }

    void portRefused_data()
    {
        QTest::addColumn<QString>("device"); // what com1 leads to
        QTest::addColumn<QString>("status");
        QTest::newRow("busy") << "held by another program" << "Port already open!";
        QTest::newRow("no such device") << "nothing" << "Invalid Port Number!";
        // Like /dev/ttyS1 on a PC without a second UART: the slave of a
        // pseudo-terminal that was never unlocked refuses to open with EIO.
        QTest::newRow("node without a device") << "a locked node" << "Invalid Port Number!";
    }
    void portRefused()
    {
        QFETCH(QString, device);
        QFETCH(QString, status);
        Scenario s;
        const bool busy = device.startsWith("held");
        std::unique_ptr<SimProcess> sim(busy ? new SimProcess(s.dir().path(), {}) : nullptr);
        QSerialPort other(QFile::symLinkTarget(s.dir().linkPath(1)));
        const int locked = device == "a locked node" ? posix_openpt(O_RDWR | O_NOCTTY) : -1;
        if (busy)
            QVERIFY(other.open(QIODevice::ReadWrite));
        else
            QVERIFY(QFile::link(locked >= 0 ? QString::fromLocal8Bit(ptsname(locked)) : "/unplugged", s.dir().linkPath(1)));
        FormTavermund &f = s.start();
        QVERIFY(s.seen(status));
        QCOMPARE(WindowFixture::pixel(f.ui.lblStatus), 0x8080FFu);
        QVERIFY(StationProbe(f.station()).TimerCom().Enabled()); // started before the open failed: "No response!" follows
        QVERIFY(s.seen(status, 2) && s.seen(QStringLiteral("No response!")));
        QCOMPARE(s.statuses.filter(QStringLiteral("comm-error")), QStringList());
        other.close();
        if (busy)
            QVERIFY(s.seen(QStringLiteral("Found: 1BSok")));
        if (locked >= 0)
            ::close(locked);
        QVERIFY(s.unharmed());
        m_detail = QStringLiteral("\"%1\" on every attempt, \"No response!\" between%2").arg(status, busy ? "; found once released" : "");
    }

    void boardFound_data()
    {
        QTest::addColumn<QStringList>("simulator");
        QTest::addColumn<QByteArray>("ini");
        // Garbage without a carriage return, NULs and bytes >= 0x80 among it.
        QTest::newRow("garbage flood") << QStringList{"--flood", "32M"} << QByteArray();
        QTest::newRow("binary settings file") << QStringList() << QByteArray("\x01\x02\0\xff,\x80\r\n\0\0\x7f", 11);
    }
    void boardFound()
    {
        QFETCH(QStringList, simulator);
        QFETCH(QByteArray, ini);
        Scenario s(ini);
        SimProcess sim(s.dir().path(), simulator);
        QVERIFY(sim.ready());
        s.start();
        QVERIFY(runEventsUntil([&] { return StationProbe(s.form().station()).MSComm1().PortOpen(); }, 5000));
        const long before = residentKib();
        long peak = before;
        QVERIFY(runEventsUntil([&] {
            peak = std::max(peak, residentKib());
            return s.status() == QStringLiteral("Found: 1BSok");
        }, 90000));
#if !defined(__SANITIZE_ADDRESS__) // ASan's quarantine keeps freed memory resident
        QVERIFY2(peak - before < 20 * 1024, qPrintable(QStringLiteral("grew by %1 KiB").arg(peak - before)));
#endif
        QCOMPARE(s.statuses.contains("???"), !simulator.isEmpty());
        QVERIFY(s.unharmed());
        m_detail = simulator.isEmpty() ? QStringLiteral("defaults used, found on COM1")
                                       : QStringLiteral("32 MiB without a line end: \"???\", memory %1 -> peak %2 KiB, then found").arg(before).arg(peak);
    }
};

QTEST_MAIN(TestFaults)
#include "tst_faults.moc"
