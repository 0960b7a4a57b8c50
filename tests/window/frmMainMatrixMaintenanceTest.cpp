#include "WindowRig.h"

#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>

using namespace corvantis;
using namespace corvantis::test;

class frmMainMatrixMaintenanceTest : public QObject {
    Q_OBJECT

private slots:
    void switchingPanelSendsItsFrameUnderTypeB();
    void modeEntriesCheckWhatTheRouterAcknowledged();
    void typeALeavesTheDataMenuSilent();
};

void frmMainMatrixMaintenanceTest::switchingPanelSendsItsFrameUnderTypeB()
{
    WindowRig rig;
    LineSpec spec;
    spec.routers = {RouterSpec{0, 14, 16, 16}, RouterSpec{2, 14, 16, 16, 0, 16}};
    rig.startWithFile(spec);
    QCOMPARE(rig.child<QComboBox>("cboRsOut")->count(), 32);
    rig.line.clearCounters();

    rig.child<QLineEdit>("txtAddy")->setText("2");
    rig.child<QComboBox>("cboRsOut")->setCurrentIndex(0);
    rig.child<QComboBox>("cboRsIn")->setCurrentIndex(1);
    QTest::mouseClick(rig.child<QPushButton>("btnRsGo"), Qt::LeftButton);
    const QByteArray connect = QByteArray::fromHex("2F2F4630325230314930325C0D");
    QVERIFY(waitFor([&] { return rig.received(connect) == 1; }));

    QTest::mouseClick(rig.child<QPushButton>("btnRsNo"), Qt::LeftButton);
    QVERIFY(waitFor(
        [&] { return rig.received(WindowRig::frame(kTypeB, 2, CmdRsDisconnect, 1, 2)) == 1; }));
    QVERIFY(rig.platform.unexpected.empty());
}

void frmMainMatrixMaintenanceTest::modeEntriesCheckWhatTheRouterAcknowledged()
{
    WindowRig rig;
    rig.startWithFile(LineSpec{});
    auto *rs = rig.window->findChild<QAction *>("mnuRS");
    auto *ir = rig.window->findChild<QAction *>("mnuIR");
    QVERIFY(!rs->isChecked() && !ir->isChecked());
    rs->trigger();
    QVERIFY(rs->isChecked() && !ir->isChecked());
    ir->trigger();
    QVERIFY(!rs->isChecked() && ir->isChecked());
    QCOMPARE(rig.received("//RS\r"), 1);
    QCOMPARE(rig.received("//IR\r"), 1);

    // An unanswered request changes no mark, also not the one the click toggled.
    rig.line.setSilent(true);
    rs->trigger();
    QVERIFY(!rs->isChecked() && ir->isChecked());
}

void frmMainMatrixMaintenanceTest::typeALeavesTheDataMenuSilent()
{
    WindowRig rig;
    LineSpec spec;
    spec.commType = kTypeA;
    spec.routers = {RouterSpec{0, 0}};
    rig.startWithFile(spec);
    rig.line.clearCounters();
    for (const char *name : {"mnuRS", "mnuIR", "mnuFlashD"})
        rig.window->findChild<QAction *>(name)->trigger();
    QTest::qWait(100);
    QCOMPARE(rig.line.framesReceived(), 0);
    QVERIFY(!rig.window->findChild<QAction *>("mnuRS")->isChecked());
    QVERIFY(!rig.window->SwitchingPanelShown());
}

QTEST_MAIN(frmMainMatrixMaintenanceTest)
#include "frmMainMatrixMaintenanceTest.moc"
