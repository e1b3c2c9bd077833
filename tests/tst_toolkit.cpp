// The window toolkit services: timers, the event pump, colours, twips,
// fonts, the executable's name and the message box.

#include "toolkit/Constants.h"
#include "CpuTime.h"
#include "toolkit/EventPump.h"
#include "toolkit/Executable.h"
#include "ui/FontResolver.h"
#include "ui/MessageBox.h"
#include "toolkit/Twips.h"
#include "ui/BgrColor.h"
#include "toolkit/WindowTimer.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>


using namespace std::chrono_literals;

namespace {

// Answers the next modal box by pressing `key` once it is up.
void pressInNextBox(int key, int delayMs = 100)
{
    QTimer::singleShot(delayMs, [key] {
        QWidget *box = QApplication::activeModalWidget();
        QVERIFY(box);
        QTest::keyClick(box, Qt::Key(key));
    });
}

} // namespace

class TestToolkit : public QObject
{
    Q_OBJECT

private slots:
    void enablingARunningTimerKeepsItsCountdown();
    void ticksComeInDeadlineOrder();
    void pauseLastsAndRunsEvents();
    void pauseDoesNotSpin();
    void colours_data();
    void colours();
    void systemColoursFollowThePalette();
    void twips_data();
    void twips();
    void fontFallback_data();
    void fontFallback();
    void executableName_data();
    void executableName();
    void messageBoxAnswers_data();
    void messageBoxAnswers();
};

void TestToolkit::enablingARunningTimerKeepsItsCountdown()
{
    WindowTimer timer("T", 400ms);
    QElapsedTimer clock;
    qint64 tickedAt = -1;
    connect(&timer, &WindowTimer::Timer, this, [&] {
        if (tickedAt < 0)
            tickedAt = clock.elapsed();
    });
    clock.start();
    timer.setEnabled(true);
    QTest::qWait(250);
    timer.setEnabled(true); // must not restart the 400 ms
    QTRY_VERIFY_WITH_TIMEOUT(tickedAt >= 0, 2000);
    QVERIFY2(tickedAt < 600, qPrintable(QString::number(tickedAt)));
    QVERIFY(timer.Enabled());
    timer.setEnabled(false);
    QVERIFY(!timer.Enabled());
}

void TestToolkit::ticksComeInDeadlineOrder()
{
    // The search pattern, scaled down: an attempt every 100 ms starts a
    // 200 ms time-out, so the time-out falls due together with every second
    // attempt. The attempt was due first and must tick first, or the
    // time-out's message would be hidden by the attempt at once.
    WindowTimer attempt("attempt", 100ms);
    WindowTimer timeout("timeout", 200ms);
    QStringList order;
    connect(&attempt, &WindowTimer::Timer, this, [&] {
        order << "A";
        timeout.setEnabled(true);
    });
    connect(&timeout, &WindowTimer::Timer, this, [&] {
        order << "T";
        timeout.setEnabled(false);
    });
    attempt.setEnabled(true);
    QTRY_VERIFY_WITH_TIMEOUT(order.count("T") >= 4, 5000);
    attempt.setEnabled(false);
    for (int i = 0; i < order.size(); ++i) {
        if (order[i] == "T") {
            QVERIFY2(i > 0 && order[i - 1] == "A", qPrintable(order.join(' ')));
            // ...and the time-out's message then stands until the next attempt.
            QVERIFY2(i + 1 >= order.size() || order[i + 1] == "A", qPrintable(order.join(' ')));
        }
    }
}

void TestToolkit::pauseLastsAndRunsEvents()
{
    bool pendingRan = false;
    QTimer::singleShot(0, this, [&] { pendingRan = true; });
    EventPump::pauseFor(0ns);
    QVERIFY2(pendingRan, "pending events run at least once, even in an empty pause");

    int ticks = 0;
    QTimer nested;
    nested.setInterval(10);
    connect(&nested, &QTimer::timeout, this, [&] { ++ticks; });
    nested.start();
    const auto start = EventPump::Clock::now();
    EventPump::pauseFor(50ms);
    const auto lasted = EventPump::Clock::now() - start;
    nested.stop();
    QVERIFY(lasted > 50ms);
    QVERIFY2(lasted < 1000ms, "a loaded machine may stretch it, but not this far");
    QVERIFY2(ticks >= 2, "timers tick inside the pause");
}

void TestToolkit::pauseDoesNotSpin()
{
    const double before = cpuSeconds();
    const auto start = EventPump::Clock::now();
    for (int i = 0; i < 20; ++i)
        EventPump::pauseFor(50ms);
    const double cpu = cpuSeconds() - before;
    const double wall = std::chrono::duration<double>(EventPump::Clock::now() - start).count();
    QVERIFY(wall >= 1.0);
    QVERIFY2(cpu < 0.15 * wall, qPrintable(QStringLiteral("%1 s CPU in %2 s").arg(cpu).arg(wall)));
}

void TestToolkit::colours_data()
{
    QTest::addColumn<uint>("value");
    QTest::addColumn<QColor>("color");
    QTest::newRow("light yellow") << 0xC0FFFFu << QColor(255, 255, 192);
    QTest::newRow("light red") << 0x8080FFu << QColor(255, 128, 128);
    QTest::newRow("light green") << 0xC0FFC0u << QColor(192, 255, 192);
    QTest::newRow("green") << 0xC000u << QColor(0, 192, 0);
    QTest::newRow("dark red") << 0x0000C0u << QColor(192, 0, 0);
    QTest::newRow("red") << 0x0000FFu << QColor(255, 0, 0);
    QTest::newRow("cyan") << 0xFFFF00u << QColor(0, 255, 255);
    QTest::newRow("yellow") << 0x00FFFFu << QColor(255, 255, 0);
}

void TestToolkit::colours()
{
    QFETCH(uint, value);
    QFETCH(QColor, color);
    QCOMPARE(BgrColor::toQColor(value, QPalette()), color);
    QCOMPARE(BgrColor::fromQColor(color), value);
}

void TestToolkit::systemColoursFollowThePalette()
{
    QPalette pal;
    pal.setColor(QPalette::Button, QColor(1, 2, 3));
    pal.setColor(QPalette::Highlight, QColor(4, 5, 6));
    pal.setColor(QPalette::Mid, QColor(7, 8, 9));
    QCOMPARE(BgrColor::toQColor(Colour::ButtonFace, pal), QColor(1, 2, 3));
    QCOMPARE(BgrColor::toQColor(Colour::Highlight, pal), QColor(4, 5, 6));
    QCOMPARE(BgrColor::toQColor(Colour::InactiveTitleBar, pal), QColor(7, 8, 9));
    QVERIFY(BgrColor::isSystem(Colour::ButtonFace));
    QVERIFY(!BgrColor::isSystem(0xFFFFFF));
}

void TestToolkit::twips_data()
{
    QTest::addColumn<int>("twips");
    QTest::addColumn<double>("dpi");
    QTest::addColumn<int>("pixels");
    QTest::newRow("client width") << 8130 << 96.0 << 542;
    QTest::newRow("client height") << 3270 << 96.0 << 218;
    QTest::newRow("one pixel") << 15 << 96.0 << 1;
    QTest::newRow("144 dpi") << 8130 << 144.0 << 813;
    QTest::newRow("120 dpi") << 105 << 120.0 << 9;
}

void TestToolkit::twips()
{
    QFETCH(int, twips);
    QFETCH(double, dpi);
    QFETCH(int, pixels);
    QCOMPARE(Twips::toPixels(twips, dpi), pixels);
}

void TestToolkit::fontFallback_data()
{
    QTest::addColumn<QStringList>("installed");
    QTest::addColumn<QString>("msSansSerif");
    QTest::addColumn<QString>("arial");
    QTest::newRow("windows") << QStringList{"MS Sans Serif", "Arial", "Microsoft Sans Serif"} << "MS Sans Serif" << "Arial";
    QTest::newRow("newer windows") << QStringList{"Microsoft Sans Serif", "Arial"} << "Microsoft Sans Serif" << "Arial";
    QTest::newRow("debian") << QStringList{"DejaVu Sans", "Liberation Sans"} << "Liberation Sans" << "Liberation Sans";
    QTest::newRow("chromeos") << QStringList{"Arimo"} << "Arimo" << "Arimo";
    QTest::newRow("bare") << QStringList{"DejaVu Sans"} << "DejaVu Sans" << "DejaVu Sans";
    QTest::newRow("nothing") << QStringList{} << "sans-serif" << "sans-serif";
}

void TestToolkit::fontFallback()
{
    QFETCH(QStringList, installed);
    QFETCH(QString, msSansSerif);
    QFETCH(QString, arial);
    const auto has = [&](const QString &f) { return installed.contains(f); };
    QCOMPARE(FontResolver::family(FontResolver::Face::MsSansSerif, has), msSansSerif);
    QCOMPARE(FontResolver::family(FontResolver::Face::Arial, has), arial);
}

void TestToolkit::executableName_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<bool>("windows");
    QTest::addColumn<QString>("name");
    QTest::newRow("windows") << "Tavermund.exe" << true << "Tavermund";
    QTest::newRow("windows upper case") << "TAVERMUND.EXE" << true << "TAVERMUND";
    QTest::newRow("windows copy") << "Tavermund2.exe" << true << "Tavermund2";
    QTest::newRow("linux") << "Tavermund" << false << "Tavermund";
    QTest::newRow("linux copy") << "bench-left" << false << "bench-left";
    QTest::newRow("linux keeps dots") << "tool.v2" << false << "tool.v2";
}

void TestToolkit::executableName()
{
    QFETCH(QString, file);
    QFETCH(bool, windows);
    QFETCH(QString, name);
    QCOMPARE(Executable::nameOf(file, windows), name);
}

void TestToolkit::messageBoxAnswers_data()
{
    QTest::addColumn<int>("style");
    QTest::addColumn<QList<int>>("keys");
    QTest::addColumn<int>("answer");
    // The exit box: Yes is the default, Escape is Cancel.
    QTest::newRow("exit box, Enter") << 35 << QList<int>{Qt::Key_Return} << int(MessageRequest::Yes);
    QTest::newRow("exit box, Escape") << 35 << QList<int>{Qt::Key_Escape} << int(MessageRequest::Cancel);
    // The failed-send box: No is the default; Escape does nothing there.
    QTest::newRow("failed send, Enter") << 276 << QList<int>{Qt::Key_Return} << int(MessageRequest::No);
    QTest::newRow("failed send, Escape then Enter") << 276 << QList<int>{Qt::Key_Escape, Qt::Key_Return}
                                                    << int(MessageRequest::No);
    QTest::newRow("OK box, Escape") << 16 << QList<int>{Qt::Key_Escape} << int(MessageRequest::Ok);
}

void TestToolkit::messageBoxAnswers()
{
    QFETCH(int, style);
    QFETCH(QList<int>, keys);
    QFETCH(int, answer);
    int delay = 100;
    for (int key : keys) {
        pressInNextBox(key, delay);
        delay += 150;
    }
    QCOMPARE(MessageBox::exec(nullptr, {"text", style, "title", {}, 0}), answer);
}

QTEST_MAIN(TestToolkit)
#include "tst_toolkit.moc"
