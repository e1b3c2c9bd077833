// What received lines write on the window's controls: held to the end of
// the receive event, the latest value of each, and written before anything
// else can look.

#include "toolkit/DisplayBatch.h"

#include <QTest>

class TestDisplayBatch : public QObject
{
    Q_OBJECT

private slots:
    void writes_data()
    {
        // Steps: "[" a receive event begins, "]" it ends; s=, c=, d=, f= set the
        // caption, colour, duty text, frequency button; "?X": the status line
        // shows X now.
        QTest::addColumn<QString>("steps");
        QTest::addColumn<QStringList>("written");

        QTest::newRow("outside an event, at once") << "s=a ?a c=1 d=5 f=2 s=b ?b"
                                                   << QStringList{"s=a", "c=1", "d=5", "f=2", "s=b"};
        QTest::newRow("last value wins") << "[ c=1 s=a d=10 f=3 c=2 s=b d=11 f=0 ?- ] ?b"
                                         << QStringList{"c=2", "s=b", "d=11", "f=0"};
        QTest::newRow("last value wins, one kind") << "[ d=1 d=2 d=3 ]" << QStringList{"d=3"};
        QTest::newRow("nothing set, nothing written") << "[ ] [ ]" << QStringList{};
        QTest::newRow("each event writes its own") << "[ s=a ] ?a [ s=b ] ?b"
                                                   << QStringList{"s=a", "s=b"};

        // The pacing pause pumps events: a receive event can run inside another
        // handler, which goes on writing afterwards.
        QTest::newRow("nested pause: event inside a handler")
            << "s=sending ?sending [ c=2 s=1SV1=5 ] ?1SV1=5 s=after ?after"
            << QStringList{"s=sending", "c=2", "s=1SV1=5", "s=after"};
        QTest::newRow("nested pause: event inside an event") << "[ s=a d=1 [ s=b ] ?b d=2 s=c ] ?c"
                                                             << QStringList{"s=b", "d=1", "s=c", "d=2"};

        // A handler that reads the status line after a receive event finds the
        // event's last line, whatever came before it.
        QTest::newRow("read sees the latest line") << "s=wait... [ s=1BSok s=Found: s=COM:1 ] ?COM:1"
                                                   << QStringList{"s=wait...", "s=COM:1"};
    }
    void writes()
    {
        QFETCH(QString, steps);
        QFETCH(QStringList, written);

        DisplayBatch batch;
        QStringList got;
        QString shown = QStringLiteral("-");
        connect(&batch, &DisplayBatch::writeStatus, this, [&](const QString &caption) {
            got << "s=" + caption;
            shown = caption;
        });
        connect(&batch, &DisplayBatch::writeStatusColour, this,
                [&](std::uint32_t colour) { got << "c=" + QString::number(colour); });
        connect(&batch, &DisplayBatch::writeDuty, this, [&](const QString &text) { got << "d=" + text; });
        connect(&batch, &DisplayBatch::writeFrequency, this, [&](int button) { got << "f=" + QString::number(button); });

        for (const QString &step : steps.split(u' ', Qt::SkipEmptyParts)) {
            const QString value = step.mid(2);
            if (step == u'[')
                batch.hold();
            else if (step == u']')
                batch.release();
            else if (step.startsWith(u'?'))
                QCOMPARE(shown, step.mid(1));
            else if (step.startsWith(u"s="))
                batch.setStatus(value);
            else if (step.startsWith(u"c="))
                batch.setStatusColour(value.toUInt());
            else if (step.startsWith(u"d="))
                batch.setDuty(value);
            else if (step.startsWith(u"f="))
                batch.setFrequency(value.toInt());
            else
                QFAIL(qPrintable("unknown step " + step));
        }
        QCOMPARE(got, written);
    }
};

QTEST_GUILESS_MAIN(TestDisplayBatch)
#include "tst_displaybatch.moc"
