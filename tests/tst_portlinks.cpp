// The port list and the com<n> links made from it: stable names, devices
// already linked by hand, the list's lines, links made and replaced, a
// folder that takes no link, and a save that a file named com1 stops. And
// Windows' rules, as data: what port n opens there and what the list offers.

#include "serial/PortCatalog.h"
#include "serial/PortLinker.h"
#include "serial/PortLocator.h"
#include "StationFixture.h"
#include "Nobody.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>


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
        // A pty linked as com2 and com5 is one entry; a dangling link is
        // none, and so is a link that no COM number reaches, or one to a
        // device the system lists already.
        PtyPeer board, unreachable, listed;
        TempExeDir dir;
        QVERIFY(board.linkAs(dir.linkPath(2)) && board.linkAs(dir.linkPath(5)) && listed.linkAs(dir.linkPath(7)));
        QVERIFY(QFile::link("/nonexistent", dir.linkPath(3)));
        for (const char *name : {"com0", "com007", "com256"})
            QVERIFY(unreachable.linkAs(dir.path() + '/' + name));
        QStringList found;
        for (const PortEntry &e : PortCatalog::listFor({{"Port", "", "", "pts", listed.slavePath(), {}}}, dir.path(),
                                                       Platform::Posix, {"/none", "/none"}))
            found << PortCatalog::entryText(e);
        QCOMPARE(found, QStringList({"Port  \u2014  no serial number  \u2014  pts  \u2014  " + listed.slavePath(),
                                     QString("Linked as com2  \u2014  no serial number  \u2014  %1  \u2014  %2")
                                         .arg(board.slavePath().mid(5), board.slavePath())}));
    }
    void windowsPorts_data()
    {
        QTest::addColumn<int>("port");
        QTest::addColumn<int>("checked"); // the entry port n reaches; -1: none
        QTest::newRow("COM3") << 3 << 0;
        QTest::newRow("COM12") << 12 << 1;
        QTest::newRow("COM7, not there") << 7 << -1;
    }
    void windowsPorts()
    {
        // Windows names the ports itself: port n is COM<n>, whatever com<n>
        // links the folder holds, and the list is the system's ports that a
        // COM number reaches, in number order, each chosen by its number.
        QFETCH(int, port);
        QFETCH(int, checked);
        TempExeDir dir;
        QVERIFY(QFile::link("/dev/null", dir.linkPath(port)));
        QCOMPARE(PortLocator::locate(port, dir.path(), Platform::Windows).path, QString("COM%1").arg(port));
        const QList<PortEntry> system{{"USB Serial Port", "FTDI", "A5", "COM12", "\\\\.\\COM12", {}},
                                      {"com0com", "", "", "CNCA0", "\\\\.\\CNCA0", {}},
                                      {"", "", "", "COM256", "\\\\.\\COM256", {}},
                                      {"Communications Port", "", "", "COM3", "\\\\.\\COM3", {}}};
        QStringList list;
        int reached = -1;
        for (const PortEntry &e : PortCatalog::listFor(system, dir.path(), Platform::Windows)) {
            if (PortLocator::reaches(port, e, dir.path(), Platform::Windows))
                reached = list.size();
            list << QString::number(e.portNumber) + ": " + PortCatalog::entryText(e);
        }
        QCOMPARE(list, QStringList({"3: Communications Port  \u2014  no serial number  \u2014  COM3",
                                    "12: USB Serial Port, FTDI  \u2014  serial A5  \u2014  COM12"}));
        QCOMPARE(reached, checked);
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
        const bool refused = asNobody([&] {
            const PortLinker::Result r = PortLinker::link(dir.path(), 1, "/dev/ttyS0");
            return r.outcome == Outcome::Failed && r.reason == QStringLiteral("Permission denied");
        });
        QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QVERIFY(refused);
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
