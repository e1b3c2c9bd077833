// The window toolkit services: timers, the event pump, fonts, the
// executable's name and the message box. Colours and twips show in the
// window's pictures (tst_window).

#include "toolkit/EventPump.h"
#include "toolkit/Executable.h"
#include "toolkit/WindowTimer.h"
#include "ui/FontResolver.h"
#include "ui/MessageBox.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTest>
#include <QTimer>

using namespace std::chrono_literals;

class TestToolkit : public QObject
{
    Q_OBJECT

private slots:
    void ticksComeInDeadlineOrder()
    {
        // The search, scaled down: an attempt every 100 ms starts a 200 ms
        // time-out, due together with every second attempt. The attempt was due
        // a moment earlier and must tick first, or its caption would hide the
        // time-out's at once.
        WindowTimer attempt(QStringLiteral("attempt"), 100ms);
        WindowTimer timeout(QStringLiteral("timeout"), 200ms);
        QElapsedTimer clock;
        qint64 lastTimeout = -1000;
        int timeouts = 0;
        QStringList faults;
        connect(&attempt, &WindowTimer::Timer, this, [&] {
            if (clock.elapsed() - lastTimeout < 20)
                faults << QStringLiteral("an attempt right after the time-out at %1 ms").arg(lastTimeout);
            timeout.setEnabled(true);
        });
        connect(&timeout, &WindowTimer::Timer, this, [&] {
            lastTimeout = clock.elapsed();
            ++timeouts;
            timeout.setEnabled(false);
        });
        clock.start();
        attempt.setEnabled(true);
        QTRY_VERIFY(timeouts >= 3);
        QCOMPARE(faults, QStringList());
    }
    void pauseRunsEvents()
    {
        bool pendingRan = false;
        QTimer::singleShot(0, this, [&] { pendingRan = true; });
        EventPump::pauseFor(0ns);
        QVERIFY2(pendingRan, "pending events run at least once, even in an empty pause");
        int ticks = 0;
        QTimer nested;
        connect(&nested, &QTimer::timeout, this, [&] { ++ticks; });
        nested.start(5);
        const auto start = EventPump::Clock::now();
        EventPump::pauseFor(30ms);
        QVERIFY(EventPump::Clock::now() - start > 30ms);
        QVERIFY2(ticks >= 2, "timers tick inside the pause");
    }
    void executableName()
    {
        // Without the extension, which only Windows has.
        QCOMPARE(Executable::nameOf(QStringLiteral("TAVERMUND.EXE"), true), QStringLiteral("TAVERMUND"));
        QCOMPARE(Executable::nameOf(QStringLiteral("tool.v2"), false), QStringLiteral("tool.v2"));
    }
    void fontFallback_data()
    {
        QTest::addColumn<QStringList>("installed");
        QTest::addColumn<QString>("msSansSerif");
        QTest::addColumn<QString>("arial");
        QTest::newRow("windows") << QStringList{"MS Sans Serif", "Arial", "Microsoft Sans Serif"} << "MS Sans Serif" << "Arial";
        QTest::newRow("debian") << QStringList{"DejaVu Sans", "Liberation Sans"} << "Liberation Sans" << "Liberation Sans";
        QTest::newRow("nothing") << QStringList{} << "sans-serif" << "sans-serif";
    }
    void fontFallback()
    {
        QFETCH(QStringList, installed);
        QFETCH(QString, msSansSerif);
        QFETCH(QString, arial);
        const auto has = [&](const QString &f) { return installed.contains(f); };
        QCOMPARE(FontResolver::family(FontResolver::Face::MsSansSerif, has), msSansSerif);
        QCOMPARE(FontResolver::family(FontResolver::Face::Arial, has), arial);
    }
    void messageBoxAnswers_data()
    {
        QTest::addColumn<int>("style");
        QTest::addColumn<QList<int>>("keys");
        QTest::addColumn<int>("answer");
        // The exit box: Yes is the default, Escape is Cancel.
        QTest::newRow("exit box, Enter") << 35 << QList<int>{Qt::Key_Return} << int(MessageRequest::Yes);
        QTest::newRow("exit box, Escape") << 35 << QList<int>{Qt::Key_Escape} << int(MessageRequest::Cancel);
        // The failed-send box: No is the default; Escape does nothing there.
        QTest::newRow("failed send, Escape then Enter") << 276 << QList<int>{Qt::Key_Escape, Qt::Key_Return}
                                                        << int(MessageRequest::No);
        QTest::newRow("OK box, Escape") << 16 << QList<int>{Qt::Key_Escape} << int(MessageRequest::Ok);
    }
    void messageBoxAnswers()
    {
        QFETCH(int, style);
        QFETCH(QList<int>, keys);
        QFETCH(int, answer);
        QTimer presser;
        connect(&presser, &QTimer::timeout, this, [&] {
            if (QWidget *box = QApplication::activeModalWidget(); box && !keys.isEmpty())
                QTest::keyClick(box, Qt::Key(keys.takeFirst()));
        });
        presser.start(50);
        QCOMPARE(MessageBox::exec(nullptr, {QStringLiteral("text"), style, QStringLiteral("title"), {}, 0}), answer);
        QVERIFY(keys.isEmpty());
    }
};

QTEST_MAIN(TestToolkit)
#include "tst_toolkit.moc"
