// The serial component against real pseudo-terminals.

#include "serial/CommError.h"
#include "serial/SerialComponent.h"
#include "serial/PortLocator.h"
#include "PtyPeer.h"
#include "TempExeDir.h"

#include <QFile>
#include <QSerialPort>
#include <QSignalSpy>
#include <QTest>

#include <functional>

namespace {

int errorOf(const std::function<void()> &operation)
{
    try {
        operation();
    } catch (const CommError &e) {
        return e.number();
    }
    return 0;
}

} // namespace

class TestSerialComponent : public QObject
{
    Q_OBJECT

private slots:
    void settingsString_data();
    void settingsString();
    void portNumberRange();
    void locatesComLinks();
    void openWriteReceive();
    void codePageOnTheWire();
    void staleInputIsCleared();
    void modemLinesOnPtyAreNoError();
    void missingDevice();
    void busyDevice();
    void outputWhileClosed();
};

void TestSerialComponent::settingsString_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("ok");
    QTest::newRow("N") << "9600,N,8,1" << true;
    QTest::newRow("n") << "9600,n,8,1" << true;
    QTest::newRow("even 7 2") << "19200,e,7,2" << true;
    QTest::newRow("one and a half") << "115200,O,5,1.5" << true;
    QTest::newRow("mark space") << "300,M,8,1" << true;
    QTest::newRow("letters") << "abc,N,8,1" << false;
    QTest::newRow("empty baud") << ",N,8,1" << false;
    QTest::newRow("zero baud") << "0,N,8,1" << false;
    QTest::newRow("blank") << " 9600,N,8,1" << false;
    QTest::newRow("bad parity") << "9600,X,8,1" << false;
    QTest::newRow("bad data") << "9600,N,9,1" << false;
    QTest::newRow("bad stop") << "9600,N,8,3" << false;
    QTest::newRow("three fields") << "9600,N,8" << false;
    QTest::newRow("five fields") << "9600,N,8,1,1" << false;
    QTest::newRow("fraction") << "9600.5,N,8,1" << false;
}

void TestSerialComponent::settingsString()
{
    QFETCH(QString, text);
    QFETCH(bool, ok);
    SerialComponent comm;
    const int error = errorOf([&] { comm.setSettings(text); });
    QCOMPARE(error, ok ? 0 : int(CommError::InvalidPropertyValue));
    QCOMPARE(comm.Settings(), ok ? text : QStringLiteral("9600,N,8,1"));
}

void TestSerialComponent::portNumberRange()
{
    SerialComponent comm;
    QCOMPARE(errorOf([&] { comm.setCommPort(0); }), int(CommError::InvalidPortNumber));
    QCOMPARE(errorOf([&] { comm.setCommPort(-1); }), int(CommError::InvalidPortNumber));
    QCOMPARE(errorOf([&] { comm.setCommPort(256); }), int(CommError::InvalidPortNumber));
    QCOMPARE(comm.CommPort(), 1);
    QCOMPARE(errorOf([&] { comm.setCommPort(255); }), 0);
    QCOMPARE(comm.CommPort(), 255);
}

void TestSerialComponent::locatesComLinks()
{
    TempExeDir dir;
    PtyPeer peer;
    QVERIFY(peer.linkAs(dir.linkPath(3)));
    const auto linked = PortLocator::locate(3, dir.path());
    QCOMPARE(linked.path, peer.slavePath());
    QCOMPARE(linked.linkPath, dir.linkPath(3));
    // A chain of links (as /dev/serial/by-id gives) ends at the device.
    QVERIFY(QFile::link(dir.linkPath(3), dir.linkPath(4)));
    QCOMPARE(PortLocator::locate(4, dir.path()).path, peer.slavePath());
    // Without a link, port n is the n-th built-in serial port.
    QCOMPARE(PortLocator::locate(1, dir.path()).path, QStringLiteral("/dev/ttyS0"));
    QCOMPARE(PortLocator::locate(12, dir.path()).path, QStringLiteral("/dev/ttyS11"));
}

void TestSerialComponent::openWriteReceive()
{
    TempExeDir dir;
    PtyPeer peer;
    QVERIFY(peer.linkAs(dir.linkPath(2)));
    SerialComponent comm;
    comm.setLinkDirectory(dir.path());
    comm.setCommPort(2);
    comm.setSettings("9600,n,8,1");
    comm.setRThreshold(1);
    comm.setInputLen(1);
    QCOMPARE(errorOf([&] { comm.setPortOpen(true); }), 0);
    QVERIFY(comm.PortOpen());
    QCOMPARE(errorOf([&] { comm.setPortOpen(true); }), int(CommError::PortAlreadyOpen));

    comm.setOutput(QStringLiteral("\r1BS?\r"));
    QTRY_COMPARE(peer.received(), QByteArray("\r1BS?\r"));

    QSignalSpy onComm(&comm, &SerialComponent::OnComm);
    peer.write("ab\xE9\r");
    QTRY_VERIFY(onComm.count() >= 1);
    QCOMPARE(comm.CommEvent(), SerialComponent::ReceiveEvent);
    QTRY_COMPARE(comm.InBufferCount(), 4);
    QCOMPARE(comm.Input(), QStringLiteral("a"));
    QCOMPARE(comm.InBufferCount(), 3);
    comm.setInputLen(0);
    QCOMPARE(comm.Input(), QString::fromLatin1("b\xE9\r"));
    QCOMPARE(comm.InBufferCount(), 0);
    QCOMPARE(comm.Input(), QString());

    comm.setPortOpen(false);
    QVERIFY(!comm.PortOpen());
    QTRY_VERIFY(!peer.slaveOpen());
}

void TestSerialComponent::codePageOnTheWire()
{
    // One byte per character, in the settings file's code page (cp1252),
    // both ways: every byte value comes in as one character and goes out
    // again as the same byte.
    TempExeDir dir;
    PtyPeer peer;
    QVERIFY(peer.linkAs(dir.linkPath(1)));
    SerialComponent comm;
    comm.setLinkDirectory(dir.path());
    comm.setInputLen(1);
    comm.setPortOpen(true);
    QByteArray all(256, '\0');
    for (int b = 0; b < 256; ++b)
        all[b] = char(b);
    peer.write(all);
    QString received;
    QVERIFY(QTest::qWaitFor([&] {
        while (comm.InBufferCount() > 0)
            received += comm.Input();
        return received.size() >= 256;
    }));
    QCOMPARE(received.size(), 256);
    QCOMPARE(received.at(0x80), QChar(0x20AC)); // €
    QCOMPARE(received.at(0x8A), QChar(0x0160)); // Š
    QCOMPARE(received.at(0x9F), QChar(0x0178)); // Ÿ
    QCOMPARE(received.at(0x81), QChar(0x0081)); // no character: its C1 control, as the settings file reads it
    QCOMPARE(received.at(0xE9), QChar(0x00E9)); // é
    comm.setOutput(received);
    QTRY_COMPARE(peer.received(), all);
    peer.clearReceived();
    comm.setOutput(QStringLiteral("\r€BS?\r")); // a device ID the settings file can hold
    QTRY_COMPARE(peer.received(), QByteArray("\r\x80" "BS?\r"));
}

void TestSerialComponent::staleInputIsCleared()
{
    TempExeDir dir;
    PtyPeer peer;
    QVERIFY(peer.linkAs(dir.linkPath(1)));
    SerialComponent comm;
    comm.setLinkDirectory(dir.path());
    comm.setRThreshold(1);
    // Open once so the pty accepts input, leave, and let the "device" talk
    // while nobody listens.
    comm.setPortOpen(true);
    comm.setPortOpen(false);
    peer.write("stale\r");
    QTest::qWait(50);
    QSignalSpy onComm(&comm, &SerialComponent::OnComm);
    comm.setPortOpen(true);
    QTest::qWait(200);
    QCOMPARE(onComm.count(), 0);
    QCOMPARE(comm.InBufferCount(), 0);
    peer.write("x");
    QTRY_COMPARE(onComm.count(), 1);
    QCOMPARE(comm.Input(), QStringLiteral("x"));
}

void TestSerialComponent::modemLinesOnPtyAreNoError()
{
    TempExeDir dir;
    PtyPeer peer;
    QVERIFY(peer.linkAs(dir.linkPath(1)));
    SerialComponent comm;
    comm.setLinkDirectory(dir.path());
    comm.setPortOpen(true);
    QCOMPARE(errorOf([&] {
                 comm.setDTREnable(false);
                 comm.setRTSEnable(false);
                 comm.setDTREnable(true);
                 comm.setHandshaking(0);
             }),
             0);
    QTest::qWait(100);
    QVERIFY2(comm.PortOpen(), "a refused modem-line ioctl must not close the port");
    comm.setOutput("ok");
    QTRY_COMPARE(peer.received(), QByteArray("ok"));
}

void TestSerialComponent::missingDevice()
{
    TempExeDir dir;
    SerialComponent comm;
    comm.setLinkDirectory(dir.path());
    {
        PtyPeer peer;
        QVERIFY(peer.linkAs(dir.linkPath(5)));
    } // the pty is gone; the link dangles, as after unplugging
    comm.setCommPort(5);
    QCOMPARE(errorOf([&] { comm.setPortOpen(true); }), int(CommError::InvalidPortNumber));
    comm.setCommPort(200); // no link, and no /dev/ttyS199
    QCOMPARE(errorOf([&] { comm.setPortOpen(true); }), int(CommError::InvalidPortNumber));
    QVERIFY(!comm.PortOpen());
}

void TestSerialComponent::busyDevice()
{
    TempExeDir dir;
    PtyPeer peer;
    QVERIFY(peer.linkAs(dir.linkPath(1)));
    QSerialPort other(peer.slavePath());
    QVERIFY(other.open(QIODevice::ReadWrite)); // another program holds it
    SerialComponent comm;
    comm.setLinkDirectory(dir.path());
    QCOMPARE(errorOf([&] { comm.setPortOpen(true); }), int(CommError::PortAlreadyOpen));
    QVERIFY(!comm.PortOpen());
    other.close();
    QCOMPARE(errorOf([&] { comm.setPortOpen(true); }), 0);
}

void TestSerialComponent::outputWhileClosed()
{
    SerialComponent comm;
    QCOMPARE(errorOf([&] { comm.setOutput("1SV1\r"); }), int(CommError::PortNotOpen));
}

QTEST_GUILESS_MAIN(TestSerialComponent)
#include "tst_serialcomponent.moc"
