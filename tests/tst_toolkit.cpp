// The window toolkit services whose rules no other test sees: timers that
// tick in deadline order, the message box's buttons and answers, and the
// family each classic font face gets from what is installed, and the
// signals that ask the program to end, caught.

#include "toolkit/TerminationSignals.h"
#include "toolkit/WindowTimer.h"
#include "ui/FontResolver.h"
#include "ui/MessageBox.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <csignal>

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
    void messageBoxAnswers_data()
    {
        QTest::addColumn<int>("style");
        QTest::addColumn<QList<int>>("keys");
        QTest::addColumn<int>("answer");
        using M = MessageRequest;
        // The exit box: Yes is the default, Escape is Cancel.
        QTest::newRow("exit box, Enter") << (M::YesNoCancel | M::Question) << QList<int>{Qt::Key_Return} << int(M::Yes);
        QTest::newRow("exit box, Escape") << (M::YesNoCancel | M::Question) << QList<int>{Qt::Key_Escape} << int(M::Cancel);
        // The failed-send box: No is the default; Escape does nothing there.
        QTest::newRow("failed send, Escape then Enter") << (M::YesNo | M::Critical | M::DefaultButton2)
                                                        << QList<int>{Qt::Key_Escape, Qt::Key_Return} << int(M::No);
        QTest::newRow("OK box, Escape") << (M::OkOnly | M::Critical) << QList<int>{Qt::Key_Escape} << int(M::Ok);
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
    void fontFamilies_data()
    {
        QTest::addColumn<QStringList>("installed");
        QTest::addColumn<QString>("msSansSerif");
        QTest::addColumn<QString>("arial");
        const QStringList free{"Liberation Sans", "DejaVu Sans"};
        QTest::newRow("Arial") << free + QStringList{"Arial"} << "Liberation Sans" << "Arial";
        QTest::newRow("MS Sans Serif") << free + QStringList{"MS Sans Serif"} << "MS Sans Serif" << "Liberation Sans";
        QTest::newRow("Microsoft Sans Serif") << free + QStringList{"Microsoft Sans Serif"} << "Microsoft Sans Serif"
                                              << "Liberation Sans";
        QTest::newRow("only Liberation") << QStringList{"Liberation Sans"} << "Liberation Sans" << "Liberation Sans";
        QTest::newRow("only DejaVu") << QStringList{"DejaVu Sans"} << "DejaVu Sans" << "DejaVu Sans";
        QTest::newRow("nothing") << QStringList{} << "sans-serif" << "sans-serif";
    }
    void fontFamilies()
    {
        QFETCH(QStringList, installed);
        QFETCH(QString, msSansSerif);
        QFETCH(QString, arial);
        FontResolver::setInstalled([installed](const QString &family) { return installed.contains(family); });
        QCOMPARE(FontResolver::family(FontResolver::Face::MsSansSerif), msSansSerif);
        QCOMPARE(FontResolver::family(FontResolver::Face::Arial), arial);
    }
    void terminationSignalsAreCaught_data()
    {
        QTest::addColumn<int>("number");
        QTest::newRow("SIGTERM") << SIGTERM;
        QTest::newRow("SIGINT") << SIGINT;
        QTest::newRow("SIGHUP") << SIGHUP;
    }
    void terminationSignalsAreCaught()
    {
        // Uncaught, any of them ends this test process.
        QFETCH(int, number);
        TerminationSignals caught;
        QSignalSpy received(&caught, &TerminationSignals::received);
        QCOMPARE(std::raise(number), 0);
        QVERIFY(received.wait());
        QCOMPARE(received, QList<QList<QVariant>>{{number}});
    }
};

QTEST_MAIN(TestToolkit)
#include "tst_toolkit.moc"
