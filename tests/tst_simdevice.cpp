// The simulated board on its own: its protocol table, its start-up and
// link, idling without spinning, and the deaf-after-open fault. Its other
// faults are exercised through the real window in tst_faults.

#include "DeviceProtocol.h"
#include "SimOptions.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <cerrno>
#include <fcntl.h>
#include <memory>
#include <poll.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

namespace {

// Timing bounds are loose on purpose: CI runs on a small, busy machine.
constexpr int kReplyMs = 2000;
constexpr int kSlowMs = 5000;
const QString kSim = QStringLiteral(TAVERMUND_SIM_PATH);

QByteArrayList feedAll(DeviceProtocol &protocol, const QByteArray &bytes, bool byteWise)
{
    QByteArrayList replies;
    for (qsizetype at = 0; at < bytes.size(); at += byteWise ? 1 : bytes.size()) {
        const auto size = static_cast<std::size_t>(byteWise ? 1 : bytes.size());
        for (const auto &exchange : protocol.feed({bytes.constData() + at, size})) {
            if (exchange.reply)
                replies << QByteArray::fromStdString(*exchange.reply);
        }
    }
    return replies;
}

// Reads up to and including the first CR; returns what came, maybe partial.
QByteArray readLine(int fd, int timeoutMs)
{
    QByteArray line;
    QElapsedTimer timer;
    timer.start();
    bool gone = false;
    while (!gone && !line.endsWith('\r') && timer.elapsed() < timeoutMs) {
        pollfd p {fd, POLLIN, 0};
        ::poll(&p, 1, 20);
        char c = 0;
        const ssize_t n = ::read(fd, &c, 1);
        if (n == 1)
            line.append(c);
        gone = n == 0 || (n < 0 && errno != EAGAIN && errno != EINTR);
    }
    return line;
}

QByteArray ask(int fd, const QByteArray &command, int timeoutMs = kReplyMs)
{
    const auto size = static_cast<std::size_t>(command.size());
    if (::write(fd, command.constData(), size) != command.size())
        return "write failed";
    return readLine(fd, timeoutMs);
}

// CPU time (user + system) the process spends while we sleep for ms.
qint64 cpuMsDuring(qint64 pid, int ms)
{
    const auto cpuMs = [pid] {
        QFile file(QStringLiteral("/proc/%1/stat").arg(pid));
        const QByteArray stat = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
        // After "(comm) ": state is field 3, utime 14, stime 15.
        const QList<QByteArray> f = stat.mid(stat.lastIndexOf(')') + 2).split(' ');
        return (f.value(11).toLongLong() + f.value(12).toLongLong()) * 1000
               / ::sysconf(_SC_CLK_TCK);
    };
    const qint64 before = cpuMs();
    QTest::qSleep(ms);
    return cpuMs() - before;
}

} // namespace

class TestSimDevice : public QObject
{
    Q_OBJECT

private slots:
    void protocol_data();
    void protocol();
    void replyModes();

    void handshake();
    void idleCpu();
    void deafOnOpen();
    void badOptions_data();
    void badOptions();

    void cleanup();

private:
    int startAndOpen(const QStringList &args);
    bool waitReady();
    int openPort(const QByteArray &path);

    QTemporaryDir m_dir;
    std::unique_ptr<QProcess> m_sim;
    QByteArray m_slave;
    QByteArray m_link;
    QList<int> m_fds;
};

void TestSimDevice::protocol_data()
{
    QTest::addColumn<QString>("id");
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QByteArrayList>("replies");
    using L = QByteArrayList;

    QTest::newRow("hello 1") << "1" << QByteArray("\r1BS?\r") << L {"1BSok"};
    QTest::newRow("hello A") << "A" << QByteArray("\rABS?\r") << L {"ABSok"};
    QTest::newRow("duty") << "1" << QByteArray("1SV1\r1SV1=500\r") << L {"1SV1=0", "1SV1=500"};
    QTest::newRow("duty clamps") << "1" << QByteArray("1SV1=123456789012345678901\r")
                                 << L {"1SV1=4294967295"};
    QTest::newRow("duty not number") << "1" << QByteArray("1SV1=12a\r1SV1=\r1SV1=-5\r") << L {};
    QTest::newRow("set freq") << "1" << QByteArray("1SV2=3\r1SV2\r") << L {"1SV2=3", "1SV2=3"};
    QTest::newRow("PV1? no id") << "1" << QByteArray("PV1?\r") << L {"1PV1=0"};
    QTest::newRow("PV1 with id") << "1" << QByteArray("1SV1=9\r1PV1\r") << L {"1SV1=9", "1PV1=9"};
    QTest::newRow("other id") << "1" << QByteArray("2BS?\r2SV1=5\r2SV1\r2PV1\r1SV1\r")
                              << L {"1SV1=0"};
    QTest::newRow("CRLF") << "1" << QByteArray("1BS?\r\n1SV1\r\n") << L {"1BSok", "1SV1=0"};
    QTest::newRow("LFCR") << "1" << QByteArray("\n\r1BS?\n\r1SV2\n\r") << L {"1BSok", "1SV2=1"};
    QTest::newRow("LF inside") << "1" << QByteArray("1B\nS?\r") << L {"1BSok"};
    QTest::newRow("empty lines") << "1" << QByteArray("\r\r\n\r1BS?\r\r") << L {"1BSok"};
    QTest::newRow("overlong line") << "1" << QByteArray(5000, 'y') + "1BS?\r1BS?\r"
                                   << L {"1BSok"};
}

void TestSimDevice::protocol()
{
    QFETCH(QString, id);
    QFETCH(QByteArray, input);
    QFETCH(QByteArrayList, replies);
    DeviceProtocol::Settings settings;
    settings.id = id.at(0).toLatin1();
    for (const bool byteWise : {false, true}) {
        DeviceProtocol protocol(settings);
        QCOMPARE(feedAll(protocol, input, byteWise), replies);
    }
}

void TestSimDevice::replyModes()
{
    DeviceProtocol::Settings settings;
    settings.garbage = true;
    settings.seed = 1234;
    DeviceProtocol protocol(settings);
    const QByteArrayList replies = feedAll(protocol, "1BS?\r2BS?\r1SV1=5\r1SV1\rPV1?\rjunk\r", false);
    QCOMPARE(replies.size(), 4); // only the recognised commands get an answer
    const QByteArrayList proper {"1BSok", "1SV1=5", "1SV1=5", "1PV1=5"};
    for (int i = 0; i < replies.size(); ++i) {
        QVERIFY(!replies[i].isEmpty());
        QVERIFY(replies[i] != proper[i]);
        for (const char c : replies[i])
            QVERIFY2(c > 0x20 && c < 0x7F, replies[i].constData());
    }

    settings.garbage = false;
    settings.silent = true;
    DeviceProtocol silent(settings);
    QVERIFY(feedAll(silent, "\r1BS?\r1SV1=5\rPV1?\r1SV2\r", false).isEmpty());
}

void TestSimDevice::cleanup()
{
    for (const int fd : std::as_const(m_fds))
        ::close(fd);
    m_fds.clear();
    m_sim.reset(); // kills a simulator that is still running
}

// Starts the simulator, waits for READY and opens its port; -1 on failure.
int TestSimDevice::startAndOpen(const QStringList &args)
{
    m_sim = std::make_unique<QProcess>();
    m_sim->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_sim->start(kSim, QStringList {"--dir", m_dir.path()} + args);
    return m_sim->waitForStarted(kSlowMs) && waitReady() ? openPort(m_slave) : -1;
}

bool TestSimDevice::waitReady()
{
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < kSlowMs) {
        while (m_sim->canReadLine()) {
            const QList<QByteArray> words = m_sim->readLine().trimmed().split(' ');
            if (words.size() == 3 && words[0] == "READY") {
                m_slave = words[1];
                m_link = words[2];
                return true;
            }
        }
        if (m_sim->state() != QProcess::Running)
            return false;
        m_sim->waitForReadyRead(100);
    }
    return false;
}

int TestSimDevice::openPort(const QByteArray &path)
{
    const int fd = ::open(path.constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return -1;
    m_fds << fd;
    termios tio {};
    ::tcgetattr(fd, &tio);
    ::cfmakeraw(&tio);
    ::tcsetattr(fd, TCSANOW, &tio);
    return fd;
}

void TestSimDevice::handshake()
{
    const QString log = m_dir.filePath("sim.log");
    const int fd = startAndOpen({"--port", "3", "--log", log});
    QVERIFY(fd >= 0);
    QCOMPARE(m_link, QFile::encodeName(QDir(m_dir.path()).canonicalPath() + "/com3"));
    QCOMPARE(QFile::encodeName(QFile::symLinkTarget(m_link)), m_slave);
    QCOMPARE(ask(fd, "\r1BS?\r"), QByteArray("1BSok\r"));
    QCOMPARE(ask(fd, "1SV1=250\r"), QByteArray("1SV1=250\r"));
    QCOMPARE(ask(fd, "PV1?\r"), QByteArray("1PV1=250\r"));

    // A clean stop takes the link away again.
    m_sim->terminate();
    QVERIFY(m_sim->waitForFinished(kSlowMs));
    QCOMPARE(m_sim->exitStatus(), QProcess::NormalExit);
    QCOMPARE(m_sim->exitCode(), 0);
    struct stat st {};
    QVERIFY(::lstat(m_link.constData(), &st) != 0);
    QFile file(log);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray events = file.readAll();
    for (const char *event : {" open\n", " rx 1BS?\n", " tx 1BSok\n", " rx 1SV1=250\n", " exit\n"})
        QVERIFY2(events.contains(event), events.constData());
}

void TestSimDevice::idleCpu()
{
    // A port nobody reads fills up: the simulator must wait for POLLOUT
    // rather than retry in a loop.
    const int fd = startAndOpen({"--flood", "10M"});
    QVERIFY(fd >= 0);
    QTest::qSleep(300);
    qint64 used = cpuMsDuring(m_sim->processId(), 1000);
    QVERIFY2(used >= 0 && used < 50, QByteArray::number(used));
    char c = '\r';
    QCOMPARE(::read(fd, &c, 1), ssize_t(1)); // the flood really is there, waiting
    QVERIFY(c != '\r');

    // Port closed: the master reports HUP all the time and must not be spun on.
    ::close(m_fds.takeLast());
    QTest::qSleep(200);
    used = cpuMsDuring(m_sim->processId(), 1000);
    QVERIFY2(used >= 0 && used < 50, QByteArray::number(used));
}

void TestSimDevice::deafOnOpen()
{
    const int fd = startAndOpen({"--deaf-on-open", "800"});
    QVERIFY(fd >= 0);
    QElapsedTimer timer;
    timer.start();
    QVERIFY(ask(fd, "\r1BS?\r", 500).isEmpty());
    QTest::qSleep(static_cast<int>(std::max<qint64>(0, 2000 - timer.elapsed())));
    QCOMPARE(ask(fd, "\r1BS?\r"), QByteArray("1BSok\r"));
}

void TestSimDevice::badOptions_data()
{
    QTest::addColumn<QString>("args");
    QTest::addColumn<int>("exitCode");
    QTest::newRow("help") << "--help" << 0;
    QTest::newRow("no dir") << "--port 2" << 2;
    QTest::newRow("unknown") << "--dir . --bogus" << 2;
    QTest::newRow("bad id") << "--dir=. --id=12" << 2;
    QTest::newRow("bad eol") << "--dir . --eol lf" << 2;
    QTest::newRow("reappear alone") << "--dir . --reappear-after 1" << 2;
}

void TestSimDevice::badOptions()
{
    QFETCH(QString, args);
    QFETCH(int, exitCode);
    QProcess sim;
    sim.start(kSim, args.split(' '));
    QVERIFY(sim.waitForFinished(kSlowMs));
    QCOMPARE(sim.exitCode(), exitCode);
    // Usage goes to stdout when asked for, to stderr with the error otherwise.
    const QByteArray usage = exitCode ? sim.readAllStandardError() : sim.readAllStandardOutput();
    QVERIFY(usage.contains("--hangup-after SEC"));
}

QTEST_GUILESS_MAIN(TestSimDevice)
#include "tst_simdevice.moc"
