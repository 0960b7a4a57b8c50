#include "WindowRig.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <stdexcept>

using namespace corvantis;
using namespace corvantis::test;

namespace {

// The scripted platform, with a beep that fails on request: a failure in the middle of a
// handler that the handler must survive.
class FailingBeepPlatform : public ScriptedPlatform {
public:
    void beep() override
    {
        ScriptedPlatform::beep();
        if (failBeep)
            throw std::runtime_error("the sound device failed");
    }
    bool failBeep = true;
};

LineSpec breakawayLine()
{
    LineSpec spec;
    spec.routers = {RouterSpec{0, 7, 16, 16, 0, 0, true}};
    return spec;
}

} // namespace

class frmMainMatrixRoutingTest : public QObject {
    Q_OBJECT

private slots:
    void cellClickPutsTheFrameOnTheWireAndThePictureInTheCell_data();
    void cellClickPutsTheFrameOnTheWireAndThePictureInTheCell();
    void unassignedColumnBeepsSendsNothingAndStaysEmpty();
    void inputOfAnotherRouterDisconnectsTheOutput();
    void controlClickRoutesOneInputToEveryOutput();
    void failureInsideAHandlerLeavesTheWindowUsable();
    void closingDuringABulkRouteStopsItAndClosesAfterwards();
    void levelKeysChooseTheLevelAndStillReachTheFocusedBox();
    void videoOnlyRouteShowsPictures1And2();
    void pairedLayoutDrawsOddInputsFromTheOddRouter();
    void routerReportRedrawsACellWithoutSending();
    void updateMatrixRequestsAndShowsTheStatus();
    void aliveModelShowsOnlineThenOffline();
};

void frmMainMatrixRoutingTest::cellClickPutsTheFrameOnTheWireAndThePictureInTheCell_data()
{
    QTest::addColumn<int>("commType");
    QTest::addColumn<int>("routerType");
    QTest::newRow("Type B") << int(kTypeB) << 7;
    QTest::newRow("Type A") << int(kTypeA) << 0;
}

void frmMainMatrixRoutingTest::cellClickPutsTheFrameOnTheWireAndThePictureInTheCell()
{
    QFETCH(int, commType);
    QFETCH(int, routerType);
    WindowRig rig;
    LineSpec spec;
    spec.commType = commType;
    spec.routers = {RouterSpec{0, routerType, 16, 16}};
    rig.startWithFile(spec);
    rig.line.clearCounters();

    const QRect cell = rig.grid().cellRect(WindowRig::cell(2, 5));
    QTest::mouseClick(&rig.grid(), Qt::LeftButton, {}, cell.center());

    QCOMPARE(rig.commands(), QList<QByteArray>{WindowRig::frame(commType, 0, CmdRoute, 5, 2)});
    QCOMPARE(rig.line.crosspoint(0, 5), 2);
    QCOMPARE(rig.picture(2, 5), 3);
    QCOMPARE(rig.core->config().routers.at(0)->RouteState(5)->Video(), std::int16_t(2));

    // Another input on the same output moves the marker.
    rig.window->imgMatrix_Click(WindowRig::cell(9, 5));
    QCOMPARE(rig.picture(2, 5), 0);
    QCOMPARE(rig.picture(9, 5), 3);
    QCOMPARE(rig.platform.beeps, 0);
}

void frmMainMatrixRoutingTest::unassignedColumnBeepsSendsNothingAndStaysEmpty()
{
    WindowRig rig;
    LineSpec spec;
    // Logical outputs 17 to 20 belong to no router.
    spec.routers = {RouterSpec{0, 7, 16, 16, 0, 0}, RouterSpec{1, 5, 4, 4, 0, 20}};
    rig.startWithFile(spec);
    rig.child<QScrollBar>("HScroll")->setValue(8);
    rig.line.clearCounters();

    // View column 9 is logical output 17.
    rig.window->imgMatrix_Click(WindowRig::cell(3, 9));
    QCOMPARE(rig.child<QLabel>("txtErrMsg")->text(), QString("Unassigned crosspoint"));
    QVERIFY(rig.commands().isEmpty());
    QCOMPARE(rig.picture(3, 9), 0);
    QCOMPARE(rig.child<QLineEdit>("txtOut_9")->text(), QString("-"));

    // The line clears itself once its time is up.
    QVERIFY(waitFor([&] { return rig.child<QLabel>("txtErrMsg")->text().isEmpty(); }, 6000));
}

void frmMainMatrixRoutingTest::inputOfAnotherRouterDisconnectsTheOutput()
{
    // Type A, whose routers know a disconnect frame.
    WindowRig rig;
    LineSpec spec;
    spec.commType = kTypeA;
    spec.routers = {RouterSpec{0, 0, 8, 8, 0, 0}, RouterSpec{1, 0, 8, 8, 8, 8}};
    rig.startWithFile(spec);
    rig.window->imgMatrix_Click(WindowRig::cell(4, 2));
    QCOMPARE(rig.picture(4, 2), 3);
    rig.line.clearCounters();

    // Input 11 belongs to router 1, output 3 to router 0.
    rig.window->imgMatrix_Click(WindowRig::cell(10, 2));
    QCOMPARE(rig.commands(), QList<QByteArray>{WindowRig::frame(kTypeA, 0, CmdDisconnect, 2, 0)});
    QCOMPARE(rig.line.crosspoint(0, 2), -1);
    QCOMPARE(rig.picture(4, 2), 0);
    QCOMPARE(rig.picture(10, 2), 0);
}

void frmMainMatrixRoutingTest::controlClickRoutesOneInputToEveryOutput()
{
    WindowRig rig;
    LineSpec spec;
    spec.routers = {RouterSpec{0, 7, 24, 16, 0, 0}, RouterSpec{1, 7, 24, 16, 0, 16},
                    RouterSpec{2, 6, 24, 8, 0, 32}};
    rig.startWithFile(spec);
    rig.child<QScrollBar>("VScroll")->setValue(5);
    rig.child<QScrollBar>("HScroll")->setValue(10);
    rig.line.clearCounters();

    // What the window looks like while the routes go out.
    int whileBusy = 0;
    bool disabledThroughout = true;
    QObject::connect(&rig.line, &VirtualRouterLine::frameReceived, rig.window.get(), [&] {
        ++whileBusy;
        disabledThroughout = disabledThroughout && rig.core->BulkRouting() &&
                             !rig.child<QWidget>("imgMIn_0")->isEnabled() &&
                             !rig.child<QPushButton>("cmdUpdate")->isEnabled() &&
                             !rig.child<QScrollBar>("VScroll")->isEnabled();
    });

    rig.platform.controlDown = true;
    QTest::mouseClick(rig.child<QWidget>("imgMIn_3"), Qt::LeftButton);

    QCOMPARE(rig.child<QScrollBar>("HScroll")->value(), 0);
    QCOMPARE(rig.core->OutputOffset(), 0);
    QList<QByteArray> expected;
    for (int o = 0; o < 40; ++o)
        expected << WindowRig::frame(kTypeB, o / 16, CmdRoute, o % 16, 8);
    QCOMPARE(rig.commands(), expected);
    QCOMPARE(whileBusy, 40);
    QVERIFY(disabledThroughout);
    QCOMPARE(rig.picture(3, 15), 3);
    QVERIFY(!rig.core->BulkRouting());
    QVERIFY(rig.child<QPushButton>("btnMacro_6")->isEnabled());
}

void frmMainMatrixRoutingTest::failureInsideAHandlerLeavesTheWindowUsable()
{
    WindowRig rig;
    LineSpec spec;
    spec.routers = {RouterSpec{0, 7, 16, 16, 0, 0}, RouterSpec{1, 5, 4, 4, 0, 20}};
    rig.startWithFile(spec);
    rig.line.clearCounters();
    FailingBeepPlatform failing;
    failing.controlDown = true;

    // Logical output 17 has no router: its beep fails in the middle of the bulk route.
    rig.window->imgMIn_Click(2);
    QCOMPARE(failing.messages.size(), std::size_t(1));
    QCOMPARE(failing.messages[0].text, std::string("Error: the sound device failed"));
    QCOMPARE(rig.commands().size(), 16);
    QVERIFY(!rig.core->BulkRouting());
    QVERIFY(rig.child<QWidget>("imgMIn_2")->isEnabled());
    QVERIFY(rig.core->poller().isActive());

    // The window goes on routing.
    failing.failBeep = false;
    rig.window->imgMatrix_Click(WindowRig::cell(1, 0));
    QCOMPARE(rig.picture(1, 0), 3);
    setPlatform(&rig.platform);
}

void frmMainMatrixRoutingTest::closingDuringABulkRouteStopsItAndClosesAfterwards()
{
    WindowRig rig;
    LineSpec spec;
    spec.routers = {RouterSpec{0, 7, 16, 16, 0, 0}, RouterSpec{1, 7, 16, 16, 0, 16}};
    rig.startWithFile(spec);
    rig.line.clearCounters();
    bool closedAtOnce = true;
    QObject::connect(&rig.line, &VirtualRouterLine::frameReceived, rig.window.get(), [&] {
        if (rig.line.framesReceived() == 3)
            closedAtOnce = rig.window->close();
    });
    rig.platform.controlDown = true;
    rig.window->imgMIn_Click(0);

    // The close waited for the route in progress; no further output was routed.
    QVERIFY(!closedAtOnce);
    QCOMPARE(rig.commands().size(), 3);
    QVERIFY(!rig.core->BulkRouting());
    QTRY_VERIFY(!rig.window->isVisible());
    QVERIFY(!rig.core->link().isOpen());
    QVERIFY(!rig.core->poller().isActive());
}

void frmMainMatrixRoutingTest::levelKeysChooseTheLevelAndStillReachTheFocusedBox()
{
    WindowRig rig;
    rig.startWithFile(breakawayLine());
    auto selected = [&](int i) {
        return rig.child<PictureButton>(QString("imgLayerSel_%1").arg(i))->isDown();
    };
    QCOMPARE(rig.core->CurrentLayer(), 3);
    QVERIFY(selected(2));

    auto *box = rig.child<QLineEdit>("txtIn_4");
    box->setFocus();
    QTRY_VERIFY(box->hasFocus());
    box->deselect();
    QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
    QCOMPARE(rig.core->CurrentLayer(), 2);
    QVERIFY(selected(1) && !selected(2) && !selected(0));

    rig.grid().setFocus();
    QTest::keyClick(&rig.grid(), Qt::Key_B, Qt::ControlModifier);
    QCOMPARE(rig.core->CurrentLayer(), 3);
    QVERIFY(selected(2) && !selected(1));
    QTest::keyClick(&rig.grid(), Qt::Key_V);
    QCOMPARE(rig.core->CurrentLayer(), 3);

    // Clicking the selectors does the same.
    QTest::mouseClick(rig.child<QWidget>("imgLayerSel_0"), Qt::LeftButton);
    QCOMPARE(rig.core->CurrentLayer(), 1);
}

void frmMainMatrixRoutingTest::videoOnlyRouteShowsPictures1And2()
{
    WindowRig rig;
    rig.startWithFile(breakawayLine());
    rig.window->imgMatrix_Click(WindowRig::cell(4, 3));
    QCOMPARE(rig.picture(4, 3), 3);
    rig.line.clearCounters();

    QTest::keyClick(rig.window.get(), Qt::Key_V, Qt::ControlModifier);
    rig.window->imgMatrix_Click(WindowRig::cell(7, 3));
    QCOMPARE(rig.commands(), QList<QByteArray>{WindowRig::frame(kTypeB, 0, CmdRoute, 3, 7)});
    const clsRouteState *state = rig.core->config().routers.at(0)->RouteState(3);
    QCOMPARE(state->Video(), std::int16_t(7));
    QCOMPARE(state->Audio(), std::int16_t(4));
    QCOMPARE(rig.picture(7, 3), 1);
    QCOMPARE(rig.picture(4, 3), 2);

    // The audio follows again: one combined marker is left.
    QTest::keyClick(rig.window.get(), Qt::Key_A, Qt::ControlModifier);
    rig.window->imgMatrix_Click(WindowRig::cell(7, 3));
    QCOMPARE(rig.picture(7, 3), 3);
    QCOMPARE(rig.picture(4, 3), 0);
}

void frmMainMatrixRoutingTest::pairedLayoutDrawsOddInputsFromTheOddRouter()
{
    WindowRig rig;
    LineSpec spec;
    spec.matrixSize = true;
    spec.routers = {RouterSpec{0, 7, 16, 16}, RouterSpec{1, 7, 16, 16}};
    rig.startWithFile(spec);
    QCOMPARE(rig.child<QScrollBar>("VScroll")->maximum(), 16);

    rig.core->config().routers.at(1)->RouteState(5)->SetVideo(3);
    rig.core->config().routers.at(1)->RouteState(5)->SetAudio(3);
    rig.window->UpdateDisplayMatrix();
    QCOMPARE(rig.picture(7, 5), 3);
    rig.child<QScrollBar>("VScroll")->setValue(4);
    QCOMPARE(rig.picture(3, 5), 3);
    QCOMPARE(rig.picture(7, 5), 0);

    // A click on an odd row routes on the odd router.
    rig.line.clearCounters();
    rig.window->imgMatrix_Click(WindowRig::cell(5, 9));
    QVERIFY(rig.commands().contains(WindowRig::frame(kTypeB, 1, CmdRoute, 9, 4)));
}

void frmMainMatrixRoutingTest::routerReportRedrawsACellWithoutSending()
{
    WindowRig rig;
    rig.startWithFile(LineSpec{});
    rig.line.clearCounters();

    QVERIFY(rig.line.frontPanelRoute(0, 3, 2));
    QVERIFY(waitFor([&] { return rig.picture(2, 3) == 3; }));
    QVERIFY(rig.commands().isEmpty());
    QVERIFY(!rig.core->engine().RemoteClick());
}

void frmMainMatrixRoutingTest::updateMatrixRequestsAndShowsTheStatus()
{
    WindowRig rig;
    rig.startWithFile(LineSpec{});
    rig.window->imgMatrix_Click(WindowRig::cell(6, 0));
    rig.window->imgMatrix_Click(WindowRig::cell(9, 12));
    // The program forgets; the routers still know.
    for (int output : {0, 12}) {
        rig.core->config().routers.at(0)->RouteState(output)->SetVideo(-1);
        rig.core->config().routers.at(0)->RouteState(output)->SetAudio(-1);
    }
    rig.window->UpdateDisplayMatrix();
    QCOMPARE(rig.picture(6, 0), 0);

    QTest::mouseClick(rig.child<QPushButton>("cmdUpdate"), Qt::LeftButton);
    QVERIFY(waitFor([&] { return rig.picture(6, 0) == 3 && rig.picture(9, 12) == 3; }));
}

void frmMainMatrixRoutingTest::aliveModelShowsOnlineThenOffline()
{
    WindowRig rig;
    LineSpec spec;
    spec.routers = {RouterSpec{0, 4, 16, 16}};
    rig.startWithFile(spec);
    auto *status = rig.child<QLabel>("txtStatus");
    auto *lamp = rig.child<ShapeLamp>("shpAlive");
    QVERIFY(waitFor([&] { return status->text() == "Matrix Online"; }));
    QVERIFY(lamp->isVisible());
    QCOMPARE(lamp->colourValue(), 65280);

    rig.line.setSilent(true);
    QVERIFY(waitFor([&] { return status->text() == "Matrix Offline"; }));
    QCOMPARE(lamp->colourValue(), 255);

    // Another model hides the indicator.
    rig.core->settings().CurrentRouterType = 7;
    QVERIFY(waitFor([&] { return !lamp->isVisible(); }));
    QVERIFY(!status->isVisible());
}

QTEST_MAIN(frmMainMatrixRoutingTest)
#include "frmMainMatrixRoutingTest.moc"
