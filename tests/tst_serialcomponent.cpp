// The serial component against real pseudo-terminals: its property rules,
// where port n is, another program's hold on a port, what goes over the
// wire and what comes back.

#include "PtyPeer.h"
#include "SimProcess.h"
#include "TempExeDir.h"
#include "serial/CommError.h"
#include "serial/PortLocator.h"
#include "serial/SerialComponent.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTest>
#include <QThread>
#include <QTimer>

#include <functional>

#include <csignal>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <unistd.h>
#include <utime.h>

namespace {

int errorOf(const std::function<void()> &operation, QString *reason = nullptr)
{
    try {
        operation();
    } catch (const CommError &e) {
        if (reason)
            *reason = e.reason();
        return e.number();
    }
    return 0;
}

// The serial component on its own, open on com1, a pseudo-terminal whose
// master the test holds; nobody listens to its receive event.
struct Bare
{
    TempExeDir dir;
    PtyPeer peer;
    SerialComponent comm;
    Bare()
    {
        peer.linkAs(dir.linkPath(1));
        comm.setLinkDirectory(dir.path());
        comm.setRThreshold(1);
        comm.setInputLen(1);
        comm.setPortOpen(true);
    }
};

} // namespace

class TestSerialComponent : public QObject
{
    Q_OBJECT

private slots:
    void settingsString_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("ok");
        QTest::newRow("N") << "9600,N,8,1" << true;
        QTest::newRow("n") << "9600,n,8,1" << true;
        QTest::newRow("even 7 2") << "19200,e,7,2" << true;
        QTest::newRow("odd 5 1.5") << "115200,O,5,1.5" << true;
        QTest::newRow("slowest baud") << "1,N,8,1" << true;
        QTest::newRow("fastest baud") << "4000000,N,8,1" << true;
        QTest::newRow("zero baud") << "0,N,8,1" << false;
        QTest::newRow("too fast") << "4000001,N,8,1" << false;
        QTest::newRow("letters") << "abc,N,8,1" << false;
        QTest::newRow("signed") << "+9600,N,8,1" << false;
        QTest::newRow("bad parity") << "9600,X,8,1" << false;
        QTest::newRow("bad data") << "9600,N,9,1" << false;
        QTest::newRow("bad stop") << "9600,N,8,3" << false;
        QTest::newRow("three fields") << "9600,N,8" << false;
    }
    void settingsString()
    {
        QFETCH(QString, text);
        QFETCH(bool, ok);
        SerialComponent comm;
        QCOMPARE(errorOf([&] { comm.setSettings(text); }), ok ? 0 : int(CommError::InvalidPropertyValue));
        QCOMPARE(comm.Settings(), ok ? text : QStringLiteral("9600,N,8,1"));
    }
    void portNumbers()
    {
        SerialComponent comm;
        QCOMPARE(errorOf([&] { comm.setCommPort(0); }), int(CommError::InvalidPortNumber));
        QCOMPARE(errorOf([&] { comm.setCommPort(256); }), int(CommError::InvalidPortNumber));
        QCOMPARE(errorOf([&] { comm.setCommPort(255); }), 0);
        // Port n is the com<n> link beside the executable, followed to the
        // device through a chain of links (as /dev/serial/by-id gives).
        TempExeDir dir;
        PtyPeer peer;
        QVERIFY(peer.linkAs(dir.linkPath(3)));
        QVERIFY(QFile::link(dir.linkPath(3), dir.linkPath(4)));
        QCOMPARE(PortLocator::locate(4, dir.path()).path, peer.slavePath());
        // Without a link, port n is the n-th built-in serial port.
        QCOMPARE(PortLocator::locate(12, dir.path()).path, QStringLiteral("/dev/ttyS11"));
    }
    void heldByAnotherProgram_data()
    {
        QTest::addColumn<QByteArray>("lockFile"); // its text with the holder's PID; empty: the holder flocks the port
        QTest::addColumn<int>("age");             // of the lock file, in seconds
        QTest::addColumn<bool>("alive");          // the holder still runs
        QTest::newRow("flock") << QByteArray() << 0 << true;
        QTest::newRow("minicom's lock file") << QByteArray("%10lld\n") << 0 << true;
        QTest::newRow("Qt's lock file, 60 s old") << QByteArray("%lld\ntst_serialcomponent\n\n") << 60 << true;
        QTest::newRow("a lock file of a process that has ended") << QByteArray("%10lld\n") << 0 << false;
    }
    void heldByAnotherProgram()
    {
        // The holder is a child process: it takes the port with flock, or a
        // lock file names it. Its hold is refused with its PID and what to
        // do, and its lock file stays; a dead process's lock file is no hold.
        QFETCH(QByteArray, lockFile);
        QFETCH(int, age);
        QFETCH(bool, alive);
        PtyPeer peer;
        const QByteArray slave = QFile::encodeName(peer.slavePath());
        int ready[2];
        QCOMPARE(pipe(ready), 0);
        const pid_t holder = fork();
        QVERIFY(holder >= 0); // kill(-1) below would reach every process
        if (holder == 0) {
            const int fd = lockFile.isEmpty() ? ::open(slave.constData(), O_RDWR | O_NOCTTY) : -1;
            const char taken = fd < 0 || ::flock(fd, LOCK_EX) == 0;
            if (::write(ready[1], &taken, 1) == 1)
                ::pause();
            _exit(0);
        }
        char taken = 0;
        QCOMPARE(::read(ready[0], &taken, 1), 1);
        ::close(ready[0]);
        ::close(ready[1]);
        QVERIFY(taken);
        const auto stop = [holder] { ::kill(holder, SIGKILL); ::waitpid(holder, nullptr, 0); };
        const auto stopped = qScopeGuard([&] { if (alive) stop(); });
        if (!alive)
            stop();
        const QString lock = QStringLiteral("/run/lock/LCK..") + peer.slavePath().mid(5).replace(u'/', u'_');
        const QByteArray text = QString::asprintf(lockFile.constData(), qlonglong(holder)).toLatin1();
        QFile file(lock);
        QVERIFY(lockFile.isEmpty() || (file.open(QIODevice::WriteOnly) && file.write(text) == text.size()));
        file.close();
        const auto removed = qScopeGuard([&] { if (alive && !lockFile.isEmpty()) QFile::remove(lock); });
        const utimbuf then{time(nullptr) - age, time(nullptr) - age};
        QVERIFY(lockFile.isEmpty() || utime(QFile::encodeName(lock).constData(), &then) == 0);

        SerialComponent comm;
        comm.setDevicePath(peer.slavePath());
        QString reason;
        QCOMPARE(errorOf([&] { comm.setPortOpen(true); }, &reason), alive ? int(CommError::PortAlreadyOpen) : 0);
        QCOMPARE(comm.PortOpen(), !alive);
        if (!alive)
            return;
        QVERIFY2(reason.contains(QStringLiteral(" (PID %1)").arg(holder)) && reason.endsWith("end that program first, or choose another port"),
                 qPrintable(reason));
        QVERIFY(file.open(QIODevice::ReadOnly) == !lockFile.isEmpty());
        QCOMPARE(file.readAll(), lockFile.isEmpty() ? QByteArray() : text);
    }
    void openWriteReceive()
    {
        Bare s;
        SerialComponent &comm = s.comm;
        QCOMPARE(errorOf([&] { comm.setPortOpen(true); }), int(CommError::PortAlreadyOpen));
        QCOMPARE(errorOf([&] { comm.setCommPort(3); }), int(CommError::NotValidWhileOpen));
        QSignalSpy onComm(&comm, &SerialComponent::OnComm);
        s.peer.write("ab\r");
        QTRY_COMPARE(comm.InBufferCount(), 3);
        QCOMPARE(comm.CommEvent(), SerialComponent::ReceiveEvent);
        QVERIFY(onComm.count() >= 1);
        comm.setInputLen(0); // everything waiting at once
        QCOMPARE(comm.Input(), QStringLiteral("ab\r"));
        QCOMPARE(comm.Input(), QString());
        comm.setPortOpen(false);
        QTRY_VERIFY(!s.peer.slaveOpen());
    }
    void lineSettingsReachThePort()
    {
        // Changed while open, the baud rate, the stop bits and the handshaking
        // reach the port (the pty's master shares its line settings; some
        // kernels refuse parity and 7 data bits on a pty).
        Bare s;
        QString reason;
        QVERIFY2(errorOf([&] { s.comm.setSettings(QStringLiteral("19200,N,8,2")); }, &reason) == 0, qPrintable(reason));
        QVERIFY2(errorOf([&] { s.comm.setHandshaking(2); }, &reason) == 0, qPrintable(reason));
        const termios tio = s.peer.lineSettings();
        QCOMPARE(cfgetospeed(&tio), speed_t(B19200));
        QCOMPARE(tio.c_cflag & (CSIZE | PARENB | CSTOPB | CRTSCTS), tcflag_t(CS8 | CSTOPB | CRTSCTS));
    }
    void floodComesInBoundedEvents()
    {
        // The board floods from a process of its own, faster than the handler
        // reads, so the system's queue never runs dry: each receive event
        // still ends after about 32 KiB, and other events get their turn.
        TempExeDir dir;
        SimProcess sim(dir.path(), {"--flood", "4M"});
        QVERIFY(sim.ready());
        SerialComponent comm;
        comm.setLinkDirectory(dir.path());
        comm.setRThreshold(1);
        comm.setInputLen(1); // as the link reads it
        qint64 total = 0, largest = 0;
        connect(&comm, &SerialComponent::OnComm, this, [&] {
            qint64 taken = 0;
            while (comm.InBufferCount() > 0) {
                taken += comm.Input().size();
                if (taken % 4096 == 0)
                    QThread::usleep(200); // a handler slower than the board
            }
            total += taken;
            largest = std::max(largest, taken);
        });
        comm.setPortOpen(true);
        QTRY_VERIFY_WITH_TIMEOUT(total == 4 << 20, 30000);
        // What was fetched before, the 32 KiB, and one last fetch of what the
        // system held (without the bound: megabytes).
        QVERIFY2(largest <= 4 * SerialComponent::ReceiveEventBytes, qPrintable(QString::number(largest)));
    }
    void receiveModeration_data()
    {
        // Steps, on the tests' clock: "+N" it moves on N ms; "w:x" the board
        // writes x, "W:n" n bytes; "e" the next receive event takes what
        // waits; "held" and "free": the read notification is held back, or
        // not; "|" the interval runs out; "reopen" the port closes and opens.
        QTest::addColumn<QString>("steps");
        QTest::addColumn<QStringList>("events");
        QTest::newRow("a lone byte at once") << "+100 w:a e free +100 w:b e free" << QStringList{"a", "b"};
        QTest::newRow("a burst in fewer events") << "+100 w:a e free +1 w:b e free +1 w:c e held w:d w:e | e held | "
                                                    "+10 w:f e free"
                                                 << QStringList{"a", "b", "c", "de", "f"};
        QTest::newRow("in order across intervals") << "+1 w:12 e free w:34 e held w:56 w:78 | e held w:9 | e held |"
                                                   << QStringList{"12", "34", "5678", "9"};
        QTest::newRow("a flood is not held") << "+1 w:a e free W:1024 e free" << QStringList{"a", QString(1024, u'x')};
        QTest::newRow("closing ends the hold") << "+1 w:a e w:b e held reopen +1 w:c e free"
                                               << QStringList{"a", "b", "c"};
    }
    void receiveModeration()
    {
        QFETCH(QString, steps);
        QFETCH(QStringList, events);
        Bare s;
        ReceiveModeration &moderation = s.comm.moderation();
        std::chrono::steady_clock::time_point now{};
        moderation.setClock([&now] { return now; });
        s.comm.setPortOpen(false);
        // The port's side, to see what the system holds for it.
        const int port = ::open(QFile::encodeName(s.peer.slavePath()).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        const auto closePort = qScopeGuard([port] { ::close(port); });
        s.comm.setPortOpen(true);
        QStringList got;
        qsizetype written = 0, taken = 0;
        connect(&s.comm, &SerialComponent::OnComm, this, [&] {
            got << QString();
            while (s.comm.InBufferCount() > 0)
                got.back() += s.comm.Input();
            taken += got.back().size();
        });
        QSignalSpy onComm(&s.comm, &SerialComponent::OnComm);
        QTimer *interval = moderation.findChild<QTimer *>();
        for (const QString &step : steps.split(u' ')) {
            if (step.startsWith(u'+')) {
                now += std::chrono::milliseconds(step.mid(1).toInt());
            } else if (step.startsWith(u"w:") || step.startsWith(u"W:")) {
                const QByteArray bytes =
                    step[0] == u'w' ? step.mid(2).toLatin1() : QByteArray(step.mid(2).toInt(), 'x');
                s.peer.write(bytes);
                written += bytes.size();
            } else if (step == u"e" || step == u'|') {
                // What was written has reached the port's queue (the system hands
                // it over in the background) before the port looks again.
                int queued = 0;
                for (QDeadlineTimer wait(5000); queued < written - taken && !wait.hasExpired(); QThread::usleep(100))
                    ::ioctl(port, FIONREAD, &queued);
                if (step == u'|')
                    interval->stop(), QMetaObject::invokeMethod(interval, "timeout");
                else
                    QVERIFY(onComm.wait());
            } else if (step == u"reopen") {
                s.comm.setPortOpen(false), s.comm.setPortOpen(true);
            } else {
                QCOMPARE(moderation.holding(), step == u"held");
            }
            // Never longer than the line discipline's buffer lasts at the fastest line.
            QVERIFY(!moderation.holding()
                    || (interval->isActive() && interval->intervalAsDuration() <= ReceiveModeration::Bound));
        }
        QCOMPARE(got, events);
        moderation.setInterval(std::chrono::hours(1));
        QVERIFY(moderation.interval() <= ReceiveModeration::Bound);
    }
    void codePageOnTheWire()
    {
        // One byte per character, in the settings file's code page (cp1252),
        // both ways: every byte value comes in as one character and goes out
        // again as the same byte.
        Bare s;
        SerialComponent &comm = s.comm;
        QByteArray all(256, '\0');
        for (int b = 0; b < 256; ++b)
            all[b] = char(b);
        s.peer.write(all);
        QString received;
        QVERIFY(QTest::qWaitFor([&] {
            while (comm.InBufferCount() > 0)
                received += comm.Input();
            return received.size() >= 256;
        }));
        QCOMPARE(received.size(), 256);
        QCOMPARE(received.at(0x80), QChar(0x20AC)); // €
        QCOMPARE(received.at(0x9F), QChar(0x0178)); // Ÿ
        QCOMPARE(received.at(0x81), QChar(0x0081)); // no character: its C1 control, as the settings file reads it
        QCOMPARE(received.at(0xE9), QChar(0x00E9)); // é
        comm.setOutput(received);
        QTRY_COMPARE(s.peer.received(), all);
    }
    void staleInputIsCleared()
    {
        // Open once so the pty takes input, leave, and let the "device" talk
        // while nobody listens.
        Bare s;
        SerialComponent &comm = s.comm;
        comm.setPortOpen(false);
        s.peer.write("stale\r");
        QSignalSpy onComm(&comm, &SerialComponent::OnComm);
        comm.setPortOpen(true);
        s.peer.write("x");
        QTRY_COMPARE(onComm.count(), 1);
        QCOMPARE(comm.InBufferCount(), 1);
        QCOMPARE(comm.Input(), QStringLiteral("x"));
    }
};

QTEST_GUILESS_MAIN(TestSerialComponent)
#include "tst_serialcomponent.moc"
