// The real window, offscreen: what it shows before and after its load
// event, keyboard order, the help panel, the icon, and the window as it looks in
// four states against pictures kept in tests/looks (set
// TAVERMUND_UPDATE_LOOKS=1 to write them anew after a deliberate change).
// The pictures are taken with the fonts, style and palette pinned, so the
// fonts installed here do not matter; they are compared with a tolerance
// for anti-aliasing that still sees a control moved by one pixel.

#include "StationProbe.h"
#include "WindowFixture.h"
#include "ui/FontResolver.h"
#include "ui/PortPicker.h"

#include <QApplication>
#include <QClipboard>
#include <QFontDatabase>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QTest>

#include <algorithm>
#include <cstdlib>

#include <fontconfig/fontconfig.h>

namespace {

// Fontconfig's settings for drawing glyphs, the machine's and the user's
// (hinting, sub-pixel order, anti-aliasing), give way to those the pictures
// were drawn with: Debian's defaults. Runs before main(), so before the
// application reads a font.
void pinGlyphRendering()
{
    const FcChar8 rules[] = R"(<fontconfig><match target="font">
        <edit name="antialias" mode="assign"><bool>true</bool></edit>
        <edit name="hintstyle" mode="assign"><const>hintslight</const></edit>
        <edit name="autohint" mode="assign"><bool>false</bool></edit>
        <edit name="rgba" mode="assign"><const>none</const></edit>
    </match></fontconfig>)";
    if (!FcInit() || !FcConfigParseAndLoadFromMemory(FcConfigGetCurrent(), rules, FcTrue))
        qFatal("cannot set fontconfig's rendering rules");
}
Q_CONSTRUCTOR_FUNCTION(pinGlyphRendering)

// A pixel differs when one of its channels is more than this away from the
// picture's: another FreeType or Qt release, or Liberation Sans 2 instead of
// 1.07, shades the edges of glyphs a little differently (by up to 32), but
// text moved, changed or coloured differently changes channels by far more.
constexpr int ChannelTolerance = 32;
// How many pixels may differ: fewer than a single changed character or a
// control moved by one pixel changes.
constexpr int MaxDiffering = 8;

// Both images RGB32 and of the same size.
int differing(const QImage &seen, const QImage &kept)
{
    int count = 0;
    const uchar *a = seen.constBits(), *b = kept.constBits();
    for (qsizetype i = 0; i < seen.sizeInBytes(); i += 4)
        count += std::max({std::abs(a[i] - b[i]), std::abs(a[i + 1] - b[i + 1]), std::abs(a[i + 2] - b[i + 2])})
            > ChannelTolerance;
    return count;
}

} // namespace

class TestWindow : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        // Pinned for the pictures: both faces as Liberation Sans (as where
        // neither Arial nor MS Sans Serif is installed), Fusion, its palette.
        FontResolver::setInstalled([](const QString &family) { return family == QStringLiteral("Liberation Sans"); });
        QApplication::setStyle(QStringLiteral("Fusion"));
        QApplication::setPalette(QApplication::style()->standardPalette());
    }
    void startUp()
    {
        WindowFixture fx;
        FormTavermund &f = fx.start();
        QCOMPARE(f.windowTitle(), QStringLiteral("Kelvandor: Tavermund"));
        QCOMPARE(fx.statuses, (QStringList{"Status:", "wait..."}));
        QVERIFY(!fx.dir().iniExists());
        StationProbe probe(f.station());
        QVERIFY(probe.Timer1().Enabled() && !probe.TimerCom().Enabled() && !probe.Timer2().Enabled() && !probe.StTimer().Enabled());
        QCOMPARE(f.minimumSize(), f.maximumSize());
        QVERIFY(f.windowIcon().availableSizes().contains(QSize(32, 32)));
        // Every control keeps its colours when the window loses the focus.
        for (QWidget *w : f.findChildren<QWidget *>()) {
            const QPalette::ColorRole role = w->backgroundRole();
            QVERIFY2(w->palette().color(QPalette::Inactive, role) == w->palette().color(QPalette::Active, role),
                     qPrintable(w->objectName()));
        }
        // The port list of this machine opens, with its ports or a word that
        // there are none.
        QTest::mouseClick(f.ui.cmdSet, Qt::LeftButton);
        QTest::mouseClick(f.ui.cmdPorts, Qt::LeftButton);
        QTRY_VERIFY(f.portPicker().menu()->isVisible() && !f.portPicker().menu()->actions().isEmpty());
        f.portPicker().menu()->close();
    }
    void tabOrder()
    {
        WindowFixture fx;
        FormTavermund &f = fx.start();
        f.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&f));
        QCOMPARE(QApplication::focusWidget(), f.ui.cmdSet);
        // Before the control panel is enabled only Set and Hlp take the focus.
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), f.ui.cmdSet);
        f.ui.frmTemp[1]->setEnabled(true);
        QStringList order;
        for (int i = 0; i < 15; ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            order << QApplication::focusWidget()->objectName();
        }
        QCOMPARE(order, (QStringList{"cmdHelp", "cmd0P", "cmd100P", "txtSV01", "cmdSV01", "cmdFpwm1", "cmdFpwm2",
                                     "cmdFpwm3", "cmdFpwm4", "cmdFpwm5", "cmdFpwm6", "cmdFpwm7", "cmd50P", "cmdSet",
                                     "cmdHelp"}));
    }
    void inputDuringTheLock_data()
    {
        // A poll locks the window while the duty box holds "10", the cursor at
        // its end, and meanwhile the operator...; the box once the lock is over.
        QTest::addColumn<QString>("meanwhile");
        QTest::addColumn<QString>("text");
        QTest::newRow("types a, composes e-acute, types b") << "compose" << "10a\u00e9b";
        QTest::newRow("drops 77 dragged in before, types 5") << "drop" << "105";
        QTest::newRow("pastes from a menu opened before") << "paste" << "10";
        // Held keys are dropped once the window is no longer the active one,
        // even if it is again when the lock ends; no button stays pressed.
        QTest::newRow("types 5, goes to another window") << "leave" << "10";
        QTest::newRow("presses Space on 0%, lets go in another window") << "space" << "10";
        QTest::newRow("types 5, answers a modal box") << "box" << "10";
        // The close box: the exit box opens once the lock is lifted, not
        // while the operator can use no control.
        QTest::newRow("types 5, closes the window") << "close" << "105";
    }
    void inputDuringTheLock()
    {
        QFETCH(QString, meanwhile);
        QFETCH(QString, text);
        WindowFixture fx;
        fx.realBoxes = meanwhile == "box";
        FormTavermund &f = fx.start();
        f.ui.frmTemp[1]->setEnabled(true);
        f.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&f));
        QLineEdit *box = f.ui.txtSV01;
        box->setFocus();
        QWindow *keyboard = f.windowHandle();
        const QPoint middle = box->mapTo(&f, box->rect().center());
        QMimeData dragged;
        dragged.setText(QStringLiteral("77"));
        QDragEnterEvent enter(middle + QPoint(box->width() / 2 - 2, 0), Qt::CopyAction, &dragged, Qt::LeftButton, {});
        QDragMoveEvent move(middle, Qt::CopyAction, &dragged, Qt::LeftButton, {});
        QDropEvent drop(middle, Qt::CopyAction, &dragged, Qt::LeftButton, {});
        if (meanwhile == "drop")
            QCoreApplication::sendEvent(keyboard, &enter);
        QGuiApplication::clipboard()->setText(QStringLiteral("77"));
        QPointer<QMenu> menu;
        if (meanwhile == "paste") {
            QTest::mouseClick(keyboard, Qt::RightButton, {}, middle);
            QVERIFY(menu = qobject_cast<QMenu *>(QApplication::activePopupWidget()));
        }

        QWidget other;
        f.setInputLocked(true);
        if (meanwhile == "compose") {
            QTest::keyClick(keyboard, Qt::Key_A);
            QInputMethodEvent composed;
            composed.setCommitString(QStringLiteral("\u00e9"));
            QCoreApplication::sendEvent(QGuiApplication::focusObject(), &composed);
            QTest::keyClick(keyboard, Qt::Key_B);
        } else if (meanwhile == "drop") {
            QCoreApplication::sendEvent(keyboard, &move);
            QCoreApplication::sendEvent(keyboard, &drop);
            QTest::keyClick(keyboard, Qt::Key_5);
        } else if (meanwhile == "paste" && menu && menu->isVisible()) {
            const QList<QAction *> actions = menu->actions();
            for (QAction *paste : actions) {
                if (paste->text().contains("Paste"))
                    QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(paste).center());
            }
        } else if (meanwhile == "leave" || meanwhile == "space") {
            const Qt::Key key = meanwhile == "space" ? Qt::Key_Space : Qt::Key_5;
            if (key == Qt::Key_Space)
                f.ui.cmd0P->setFocus();
            QTest::keyPress(keyboard, key);
            other.show();
            other.activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(&other));
            QTest::keyRelease(other.windowHandle(), key);
        } else if (meanwhile == "box") {
            QTest::keyClick(keyboard, Qt::Key_5);
            QTimer::singleShot(0, &f, [] { QTest::keyClick(QApplication::activeModalWidget(), Qt::Key_Escape); });
            QMessageBox::information(&f, QStringLiteral("Box"), QStringLiteral("A box"));
        } else if (meanwhile == "close") {
            QTest::keyClick(keyboard, Qt::Key_5);
            QVERIFY(!f.close());
            QVERIFY(fx.asked.isEmpty());
        }
        f.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&f));
        f.setInputLocked(false);
        QCoreApplication::processEvents(); // the held input, if any
        QCOMPARE(box->text(), text);
        QVERIFY(!f.ui.cmd0P->isDown());
        QCOMPARE(fx.asked.size(), meanwhile == "close" ? 1 : 0); // the exit box, answered Cancel
        QVERIFY(f.isVisible());
    }
    void looks_data()
    {
        QTest::addColumn<QString>("state");
        for (const char *state : {"started", "found", "settings", "help"})
            QTest::newRow(state) << QString::fromLatin1(state);
    }
    void looks()
    {
        QFETCH(QString, state);
        if (!QFontDatabase::families().contains(QStringLiteral("Liberation Sans")))
            QSKIP("the pictures are drawn in Liberation Sans, which is not installed here (Debian: fonts-liberation)");
        if (QGuiApplication::primaryScreen()->logicalDotsPerInch() != 96 || qApp->devicePixelRatio() != 1)
            QSKIP("the pictures are drawn at 96 dpi and scale 1, which the screen here is not");
        WindowFixture fx;
        if (state != QStringLiteral("found"))
            fx.intervals = Intervals{}; // nothing ticks before the picture is taken
        FormTavermund &f = fx.start();
        QVERIFY(QTest::qWaitForWindowExposed(&f));
        if (state == QStringLiteral("found")) {
            // The route from the bytes on the wire to the labels: the device
            // code, the duty display, the highlighted frequency, the status line.
            QVERIFY(fx.discoverAndReadBack());
            fx.peer().write("1SV1=50\r1SV2=3\r");
            QTRY_COMPARE(fx.status(), QStringLiteral("COM:1 Baud:9600 COM data: 1SV2=3"));
        } else if (state == QStringLiteral("settings")) {
            QTest::mouseClick(f.ui.cmdSet, Qt::LeftButton);
        } else if (state == QStringLiteral("help")) {
            QTest::mouseClick(f.ui.cmdHelp, Qt::LeftButton);
        }
        const QImage seen = f.grab().toImage().convertToFormat(QImage::Format_RGB32);
        const QString kept = QStringLiteral(TAVERMUND_LOOKS_DIR "/%1.png").arg(state);
        if (qEnvironmentVariableIsSet("TAVERMUND_UPDATE_LOOKS"))
            QVERIFY(seen.save(kept));
        const QImage expected = QImage(kept).convertToFormat(QImage::Format_RGB32);
        QCOMPARE(seen.size(), expected.size());
        const int count = differing(seen, expected);
        const QString saved = QCoreApplication::applicationDirPath() + QStringLiteral("/looks-%1-seen.png").arg(state);
        if (count > MaxDiffering)
            seen.save(saved);
        QVERIFY2(count <= MaxDiffering,
                 qPrintable(QStringLiteral("%1 pixels differ by more than %2 in a channel; see %3")
                                .arg(count).arg(ChannelTolerance).arg(saved)));
        if (state == QStringLiteral("help")) {
            QTest::mouseClick(f.ui.cmdCloseHelp, Qt::LeftButton);
            QVERIFY(!f.ui.frmHelp->isVisible());
        }
    }
};

QTEST_MAIN(TestWindow)
#include "tst_window.moc"
