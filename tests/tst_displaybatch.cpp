// What received lines write on the window's controls: the latest value of
// each, at once after a quiet frame and otherwise at the frame's end, and
// always before anything else is written or read.

#include "toolkit/DisplayBatch.h"

#include <QTest>
#include <QTimer>

class TestDisplayBatch : public QObject
{
    Q_OBJECT

private slots:
    void writes_data()
    {
        // Steps: "[" a receive event begins, "]" it ends; "|" the frame ends (the
        // frame timer fires, if it runs); "!" a reader flushes; s=, c=, d=, f=
        // set the caption, colour, duty text, frequency button; S= a caption
        // "COM:" + tail, D= a duty value (decimal comma); "?X": the status
        // line shows X now.
        QTest::addColumn<QString>("steps");
        QTest::addColumn<QStringList>("written");

        QTest::newRow("outside an event, at once") << "s=a ?a c=1 d=5 f=2 s=b ?b"
                                                   << QStringList{"s=a", "c=1", "d=5", "f=2", "s=b"};
        QTest::newRow("last value wins") << "[ c=1 s=a d=10 f=3 c=2 s=b d=11 f=0 ?- ] ?b"
                                         << QStringList{"c=2", "s=b", "d=11", "f=0"};
        QTest::newRow("nothing set, nothing written, no frame") << "[ ] [ ] [ s=a ] ?a" << QStringList{"s=a"};

        // The frame rule: at once after a quiet frame, else at the frame's end.
        QTest::newRow("a frame's events wait for its end") << "[ s=a ] ?a [ s=b d=1 ] [ d=2 ] ?a | ?b"
                                                           << QStringList{"s=a", "s=b", "d=2"};
        QTest::newRow("a frame that writes starts another") << "[ s=a ] [ s=b ] | ?b [ s=c ] ?b | ?c | [ s=d ] ?d"
                                                            << QStringList{"s=a", "s=b", "s=c", "s=d"};
        QTest::newRow("a quiet frame: the next at once") << "[ d=1 ] | [ d=2 ] | | [ d=3 ]"
                                                         << QStringList{"d=1", "d=2", "d=3"};
        QTest::newRow("parts put together when written") << "[ S=a D=1.5 S=b D=2.5 ] ?COM:b D=0.25 S=c ?COM:c"
                                                         << QStringList{"s=COM:b", "d=2,5", "d=0,25", "s=COM:c"};
        QTest::newRow("no change starts no frame") << "[ s=a ] | [ s=a ] [ s=b ] ?b"
                                                   << QStringList{"s=a", "s=a", "s=b"};

        // The tool's own writes and readers come after every held value.
        QTest::newRow("own status never held back") << "[ s=a ] [ c=2 s=b d=1 ] s=own ?own | ?own"
                                                    << QStringList{"s=a", "c=2", "s=b", "d=1", "s=own"};
        QTest::newRow("no value after a later one") << "[ d=1 ] [ d=2 f=3 ] d=own [ d=4 ] |"
                                                    << QStringList{"d=1", "d=2", "f=3", "d=own", "d=4"};
        QTest::newRow("a reader sees the latest") << "[ s=a ] [ s=b ] ! ?b |" << QStringList{"s=a", "s=b"};

        // The pacing pause pumps events: a receive event can run inside another
        // handler, which goes on writing afterwards.
        QTest::newRow("nested pause: event inside a handler")
            << "s=sending ?sending [ c=2 s=1SV1=5 ] ?1SV1=5 s=after ?after"
            << QStringList{"s=sending", "c=2", "s=1SV1=5", "s=after"};
    }
    void writes()
    {
        QFETCH(QString, steps);
        QFETCH(QStringList, written);

        DisplayBatch batch;
        QTimer *frame = batch.findChild<QTimer *>();
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
            else if (step == u'|' && frame->isActive())
                frame->stop(), QMetaObject::invokeMethod(frame, "timeout"); // as if it had run out
            else if (step == u'|')
                continue; // a quiet frame: no timer runs
            else if (step == u'!')
                batch.flush();
            else if (step.startsWith(u'?'))
                QCOMPARE(shown, step.mid(1));
            else if (step.startsWith(u"s="))
                batch.setStatus(value);
            else if (step.startsWith(u"c="))
                batch.setStatusColour(value.toUInt());
            else if (step.startsWith(u"d="))
                batch.setDuty(value);
            else if (step.startsWith(u"S="))
                batch.setStatus(QStringLiteral("COM:"), value);
            else if (step.startsWith(u"D="))
                batch.setDuty(value.toFloat(), u',');
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
