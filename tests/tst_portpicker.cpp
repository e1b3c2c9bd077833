// The port list of the settings panel with the real window, offscreen:
// reached by keyboard, read afresh, chosen, linked at SAVE-CLOSE, and the
// board found behind the new link without a restart.

#include "WindowFixture.h"

#include <QApplication>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTest>

class TestPortPicker : public QObject
{
    Q_OBJECT

private slots:
    void chooseSaveAndFind()
    {
        WindowFixture fx; // com1 leads to fx.peer()
        PtyPeer board;
        QList<PortEntry> plugged;
        fx.ports = [&] { return plugged; };
        fx.intervals = Intervals{}.compressed(10);
        FormTavermund &f = fx.start();
        f.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&f));
        QTest::mouseClick(f.ui.cmdSet, Qt::LeftButton);
        f.ui.txtTempName[1]->setFocus();
        QTest::keyClick(f.ui.txtTempName[1], Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), f.ui.cmdPorts);

        // Nothing plugged in: the list says so.
        QMenu *list = f.portPicker().menu();
        QTest::keyClick(f.ui.cmdPorts, Qt::Key_Space);
        QTRY_VERIFY(list->isVisible());
        QCOMPARE(list->actions().size(), 1);
        QVERIFY(!list->actions()[0]->isEnabled() && list->actions()[0]->text().startsWith("No serial ports found."));
        QTest::keyClick(list, Qt::Key_Escape);
        QTRY_VERIFY(!list->isVisible());

        // Plugged in since: the list is read again, and what COM 1 reaches now
        // is checked.
        plugged = {{"Old board", "", "", "pts/a", fx.peer().slavePath(), fx.peer().slavePath()},
                   {"New board", "Maker", "N1", "pts/b", board.slavePath(), board.slavePath()}};
        QTest::keyClick(f.ui.cmdPorts, Qt::Key_Space);
        QTRY_VERIFY(list->isVisible());
        QCOMPARE(list->actions().size(), 2);
        QVERIFY(list->actions()[0]->isChecked() && !list->actions()[1]->isChecked());
        QTest::keyClick(list, Qt::Key_Down);
        QTest::keyClick(list, Qt::Key_Down);
        QTest::keyClick(list, Qt::Key_Return);
        QTRY_VERIFY(!list->isVisible());
        QCOMPARE(f.ui.cmdPorts->text(), QStringLiteral("Chosen: pts/b"));
        QCOMPARE(QFileInfo(fx.dir().linkPath(1)).symLinkTarget(), fx.peer().slavePath()); // not before SAVE-CLOSE

        QTest::mouseClick(f.ui.cmdExit, Qt::LeftButton);
        QVERIFY(!f.ui.frmSet->isVisible() && fx.asked.isEmpty() && fx.dir().iniExists());
        QCOMPARE(QFileInfo(fx.dir().linkPath(1)).symLinkTarget(), board.slavePath());
        const QString reach = QStringLiteral("COM 1 reaches %1 through %2.").arg(board.slavePath(), fx.dir().linkPath(1));
        QVERIFY(f.ui.txtSet1[1]->toolTip() == reach && f.ui.lblStatus->toolTip() == reach);

        QTRY_VERIFY(board.received().contains("\r1BS?\r"));
        board.write("1BSok\r");
        QTRY_COMPARE(fx.status(), QStringLiteral("Found: 1BSok"));
    }
};

QTEST_MAIN(TestPortPicker)
#include "tst_portpicker.moc"
