// The port list and the com<n> links made from it: stable names, devices
// already linked by hand, the list's lines, links made and replaced, a
// folder that takes no link, and a save that a file named com1 stops.

#include "serial/PortCatalog.h"
#include "serial/PortLinker.h"
#include "StationFixture.h"
#include "Nobody.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSerialPortInfo>
#include <QTest>

#include <sys/wait.h>
#include <unistd.h>

using Outcome = PortLinker::Outcome;

class TestPortLinks : public QObject
{
    Q_OBJECT

private slots:
    void stableName_data()
    {
        QTest::addColumn<QStringList>("names"); // links to the board
        QTest::addColumn<QString>("expected");  // empty: the device itself
        QTest::newRow("by-id first") << QStringList{"by-path/pci-0:2", "by-id/usb-Board"} << "by-id/usb-Board";
        QTest::newRow("by-path") << QStringList{"by-path/pci-0:2"} << "by-path/pci-0:2";
        QTest::newRow("kernel path") << QStringList{} << "";
    }
    void stableName()
    {
        QFETCH(QStringList, names);
        QFETCH(QString, expected);
        PtyPeer board, other;
        TempExeDir dir;
        QVERIFY(QDir(dir.path()).mkpath("by-id") && QDir(dir.path()).mkpath("by-path"));
        QVERIFY(other.linkAs(dir.path() + "/by-id/usb-Another"));
        for (const QString &name : names)
            QVERIFY(board.linkAs(dir.path() + '/' + name));
        QCOMPARE(PortCatalog::stableNameOf(board.slavePath(), {dir.path() + "/by-id", dir.path() + "/by-path"}),
                 expected.isEmpty() ? board.slavePath() : dir.path() + '/' + expected);
    }
    void linkedDevicesAreListedOnce()
    {
        // No serial port to the system, a pty linked as com2 and com5 is one
        // entry; a dangling link is none, and so is a link that no COM number
        // reaches.
        PtyPeer board, unreachable;
        TempExeDir dir;
        QVERIFY(board.linkAs(dir.linkPath(2)) && board.linkAs(dir.linkPath(5)));
        QVERIFY(QFile::link("/nonexistent", dir.linkPath(3)));
        for (const char *name : {"com0", "com007", "com256"})
            QVERIFY(unreachable.linkAs(dir.path() + '/' + name));
        QStringList found;
        for (const PortEntry &e : PortCatalog::available(dir.path(), {"/none", "/none"}))
            if (e.systemPath == board.slavePath() || e.systemPath == unreachable.slavePath() || e.systemPath.startsWith(dir.path()))
                found << PortCatalog::entryText(e);
        QCOMPARE(found, QStringList(QString("Linked as com2  \u2014  no serial number  \u2014  %1  \u2014  %2")
                                        .arg(board.slavePath().mid(5), board.slavePath())));
        // A serial port of the system that a link reaches too is listed once
        // (where the machine has one).
        const QList<QSerialPortInfo> system = QSerialPortInfo::availablePorts();
        if (system.isEmpty())
            return;
        const QString port = QFileInfo(system[0].systemLocation()).canonicalFilePath();
        QVERIFY(QFile::link(port, dir.linkPath(7)));
        int times = 0;
        for (const PortEntry &e : PortCatalog::available(dir.path(), {"/none", "/none"}))
            times += QFileInfo(e.systemPath).canonicalFilePath() == port;
        QCOMPARE(times, 1);
    }
    void link_data()
    {
        QTest::addColumn<bool>("oldLink");
        QTest::addColumn<int>("port");
        QTest::newRow("new") << false << 1;
        QTest::newRow("old link replaced") << true << 255;
        QTest::newRow("port 0 refused") << false << 0;
    }
    void link()
    {
        QFETCH(bool, oldLink);
        QFETCH(int, port);
        TempExeDir dir;
        PtyPeer board;
        QVERIFY(!oldLink || QFile::link("/dev/ttyS0", dir.linkPath(port)));
        const PortLinker::Result r = PortLinker::link(dir.path(), port, board.slavePath());
        QCOMPARE(r.outcome, port ? Outcome::Linked : Outcome::Refused);
        QCOMPARE(QFileInfo(dir.linkPath(port)).symLinkTarget(), port ? board.slavePath() : QString());
        QCOMPARE(QDir(dir.path()).entryList({".com*"}, QDir::AllEntries | QDir::Hidden | QDir::System), QStringList());
    }
    void readOnlyFolderIsReported()
    {
        // Root writes anywhere, so a child that is not root tries the link.
        TempExeDir dir;
        QVERIFY(QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::ExeOwner | QFile::ReadOther | QFile::ExeOther));
        const pid_t child = fork();
        if (child == 0) {
            becomeNobody();
            const PortLinker::Result r = PortLinker::link(dir.path(), 1, "/dev/ttyS0");
            _exit(r.outcome == Outcome::Failed && r.reason == QStringLiteral("Permission denied") ? 0 : 1);
        }
        int status = -1;
        QCOMPARE(waitpid(child, &status, 0), child);
        QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QVERIFY(WIFEXITED(status) && WEXITSTATUS(status) == 0);
        QVERIFY(!QFileInfo(dir.linkPath(1)).isSymLink());
    }
    void fileNamedCom1StopsTheSave()
    {
        StationFixture s(false);
        QFile::remove(s.dir.linkPath(1));
        QFile file(s.dir.linkPath(1));
        QVERIFY(file.open(QIODevice::ReadWrite) && file.write("mine") == 4 && file.flush());
        s.station.start();
        s.station.openSettings();
        s.station.choosePort({"Board", "", "", "pts", s.peer.slavePath(), s.peer.slavePath()});
        s.log.clear();
        s.station.saveSettings({{"", "1", "9600", "1", "0", "-"}, {"", "a", "b", "c", "d"}});
        QCOMPARE(s.asked.size(), 1);
        QVERIFY2(s.asked[0].prompt.contains(s.dir.linkPath(1) + " is not a symbolic link"), qPrintable(s.asked[0].prompt));
        // Nothing reloaded: the panel stays open with the choice in it.
        QVERIFY(s.log.isEmpty() && !s.dir.iniExists() && s.station.isPanelOpen());
        QVERIFY(file.seek(0) && file.readAll() == "mine");
    }
};

QTEST_GUILESS_MAIN(TestPortLinks)
#include "tst_portlinks.moc"
