// The main window's wiring: clicks, keys, menus and boxes reach the core, and what the core
// and the routers report reaches the screen. The rules behind them are tested below the widgets.
#include "WindowRig.h"
#include "util/clsDebug.h"

#include <QAction>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
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

// A router of a model and size, and what the window shows of it; a scroll bar's maximum is -1
// when it is hidden.
struct Shown {
    int type, inputs, outputs;
    bool breakaway;
    int vMaximum, hMaximum;
    bool update, panel;
};

} // namespace

Q_DECLARE_METATYPE(Shown)

class frmMainMatrixTest : public QObject {
    Q_OBJECT

private slots:
    void init() { m_rig = std::make_unique<WindowRig>(); }
    void cleanup() { WindowRig::release(m_rig); }

    void noThenCancelStillRebuildsAndAFailedRebuildChangesNothing();
    void rebuildShowsWhatTheMatrixHolds_data();
    void rebuildShowsWhatTheMatrixHolds();
    void cellClickRoutesAndUnassignedOrLockedCellsSaySo();
    void controlClickRoutesEveryOutputAndSurvivesAFailingHandler();
    void closeDuringABulkRouteWaitsForItThenSavesWithoutAQuestion();
    void levelKeysAndSelectorsChooseWhatAClickRoutes();
    void routesReportedByTheRouterAreDrawn();
    void typedNameIsCommittedOnceForTheInputItWasTypedFor();
    void switchingPanelAndModeEntriesReachTheRouter();
    void recordedMacroIsSavedReloadedAndReplayed();
    void aSalvoFromTheMenuEndsInASummaryThatRetriesWhatFailed();

private:
    WindowRig &start(const LineSpec &spec = {})
    {
        m_rig->startWithFile(spec);
        m_rig->platform.clear();
        return *m_rig;
    }
    // Type A over two routers: no status request and no poll share the line with the tested
    // commands.
    WindowRig &startTypeA()
    {
        DebugLog().SetEnable(false);
        return start({kTypeA, {RouterSpec{0, 3}, RouterSpec{1, 3, 16, 16, 16}}});
    }
    void typeInto(const QString &box, const QString &text)
    {
        auto *edit = m_rig->child<QLineEdit>(box);
        edit->setFocus();
        QTRY_VERIFY(edit->hasFocus());
        edit->selectAll();
        QTest::keyClicks(edit, text);
    }
    // Focus moves to the grid, so the box being edited loses it.
    void leave()
    {
        m_rig->grid().setFocus();
        QTRY_VERIFY(m_rig->grid().hasFocus());
    }

    std::unique_ptr<WindowRig> m_rig;
};

void frmMainMatrixTest::noThenCancelStillRebuildsAndAFailedRebuildChangesNothing()
{
    WindowRig &rig = *m_rig;
    rig.openLine({});
    rig.makeWindow();
    // The settings in force before the dialog: one router on COM1.
    rig.core->settings().CommPortName = "COM1";
    rig.core->settings().CurrentRouterType = 7;
    rig.core->config().routers.set(0, makeRouter({0, 7, 16, 12}));
    rig.platform.answers.push_back(MessageAnswer::No);
    rig.onModal("frmConfig", [](QWidget *setup) {
        qobject_cast<QDialog *>(setup)->reject();
        return true;
    });
    rig.window->Form_Load();

    QVERIFY(!rig.core->settings().ConfigLoaded);
    QCOMPARE(rig.child<QLabel>("lblRouterType")->text(), QString("Router 16x12"));
    QVERIFY(rig.core->link().isOpen());

    // A paired layout without the odd router cannot be built.
    rig.core->link().CloseCommPort();
    rig.core->settings().MatrixSize = true;
    rig.window->ReturnFromConfig();
    QCOMPARE(rig.platform.messages.size(), std::size_t(2));
    QVERIFY(rig.platform.messages.back().text.rfind("Error: ", 0) == 0);
    QCOMPARE(rig.child<QLabel>("lblRouterType")->text(), QString("Router 16x12"));
    QVERIFY(!rig.grid().isCellVisible(WindowRig::cell(0, 12)));
    QVERIFY(!rig.core->link().isOpen());
}

void frmMainMatrixTest::rebuildShowsWhatTheMatrixHolds_data()
{
    QTest::addColumn<Shown>("row");
    QTest::newRow("17 inputs show the input bar") << Shown{7, 17, 16, false, 1, -1, true, false};
    QTest::newRow("audio breakaway offers the levels")
        << Shown{7, 8, 40, true, -1, 24, true, false};
    QTest::newRow("model 3 has no update button") << Shown{3, 16, 4, false, -1, -1, false, false};
    QTest::newRow("model 4 has the RS-232 panel") << Shown{4, 16, 16, false, -1, -1, true, true};
}

void frmMainMatrixTest::rebuildShowsWhatTheMatrixHolds()
{
    QFETCH(Shown, row);
    const auto [type, inputs, outputs, breakaway, vMaximum, hMaximum, update, panel] = row;
    WindowRig &rig = *m_rig;
    rig.makeWindow();
    rig.window->show();
    const int hiddenHeight = rig.window->height();
    rig.core->settings().CurrentRouterType = static_cast<std::int16_t>(type);
    rig.core->config().routers.set(0, makeRouter({0, type, inputs, outputs, 0, breakaway}));
    rig.window->ReturnFromConfig();

    auto maximum = [&](const char *name) {
        auto *bar = rig.child<QScrollBar>(name);
        return bar->isVisible() ? bar->maximum() : -1;
    };
    QCOMPARE(maximum("VScroll"), vMaximum);
    QCOMPARE(maximum("HScroll"), hMaximum);
    for (int k = 0; k < 256; ++k)
        QCOMPARE(rig.grid().isCellVisible(k), k % 16 < outputs && k / 16 < inputs);
    auto shown = [&](const char *name, int i) {
        return rig.child<QWidget>(QString("%1_%2").arg(name).arg(i))->isVisible();
    };
    for (int i = 0; i < 16; ++i) {
        for (const char *name : {"txtIn", "txtMIn", "imgMIn"})
            QCOMPARE(shown(name, i), i < inputs);
        for (const char *name : {"txtOut", "txtSOut", "imgMOut", "imgSOut", "lblMOut"})
            QCOMPARE(shown(name, i), i < outputs);
    }
    for (int i = 0; i < 3; ++i)
        QCOMPARE(shown("imgLayerSel", i), breakaway);
    QCOMPARE(rig.child<QLabel>("lblLevel")->isVisible(), breakaway);
    QCOMPARE(rig.child<QPushButton>("cmdUpdate")->isVisible(), update);
    QCOMPARE(rig.child<QWidget>("btnRsGo")->isVisible(), panel);
    QCOMPARE(rig.window->height(),
             hiddenHeight + (panel ? frmMainMatrix::kSwitchingPanelHeight : 0));
}

void frmMainMatrixTest::cellClickRoutesAndUnassignedOrLockedCellsSaySo()
{
    // Logical outputs 17 to 20 belong to no router.
    WindowRig &rig = start({kTypeB, {RouterSpec{0, 7, 16, 16, 0}, RouterSpec{1, 5, 4, 4, 20}}});
    rig.line.clearCounters();

    const QRect cell = rig.grid().cellRect(WindowRig::cell(2, 5));
    QTest::mouseClick(&rig.grid(), Qt::LeftButton, {}, cell.center());
    rig.finishActions();
    QCOMPARE(rig.commands(), QList<QByteArray>{WindowRig::frame(kTypeB, 0, CmdRoute, 5, 2)});
    QCOMPARE(rig.picture(2, 5), 3);
    // Another input on the same output moves the marker.
    rig.window->imgMatrix_Click(WindowRig::cell(9, 5));
    rig.finishActions();
    QCOMPARE(rig.picture(2, 5), 0);
    QCOMPARE(rig.picture(9, 5), 3);

    // View column 9 is logical output 17.
    rig.child<QScrollBar>("HScroll")->setValue(8);
    rig.line.clearCounters();
    rig.window->imgMatrix_Click(WindowRig::cell(3, 9));
    rig.finishActions();
    QCOMPARE(rig.child<QLabel>("txtErrMsg")->text(), QString("Unassigned crosspoint"));
    QVERIFY(rig.commands().isEmpty());
    QCOMPARE(rig.picture(3, 9), 0);

    // View column 0 is logical output 8: a panel's lock shows on its arrow (the refused click
    // is the action path test's).
    rig.window->core().locks().lock(8, 4);
    QCOMPARE(rig.child<QWidget>("imgMOut_0")->toolTip(),
             QString("Output 9 is locked by network panel 4; right-click to unlock"));
}

void frmMainMatrixTest::controlClickRoutesEveryOutputAndSurvivesAFailingHandler()
{
    WindowRig &rig = start({kTypeB, {RouterSpec{0, 7, 16, 16, 0}, RouterSpec{1, 5, 4, 4, 20}}});
    rig.line.clearCounters();
    bool disabledThroughout = true;
    QObject::connect(&rig.line, &VirtualRouterLine::frameReceived, rig.window.get(), [&] {
        disabledThroughout = disabledThroughout && rig.core->BulkRouting() &&
                             !rig.child<QWidget>("imgMIn_0")->isEnabled() &&
                             !rig.child<QPushButton>("cmdUpdate")->isEnabled() &&
                             !rig.child<QScrollBar>("VScroll")->isEnabled();
    });
    {
        FailingBeepPlatform failing;
        failing.controlDown = true;
        // Logical output 17 has no router: its beep fails in the middle of the bulk route.
        QTest::mouseClick(rig.child<QWidget>("imgMIn_2"), Qt::LeftButton);
        rig.finishActions();
        QCOMPARE(failing.messageTexts(),
                 std::vector<std::string>{"Error: the sound device failed"});
        QList<QByteArray> expected;
        for (int output = 0; output < 16; ++output)
            expected << WindowRig::frame(kTypeB, 0, CmdRoute, output, 2);
        QCOMPARE(rig.commands(), expected);
        QVERIFY(disabledThroughout);
        QVERIFY(rig.child<QWidget>("imgMIn_2")->isEnabled());
        QVERIFY(rig.core->poller().isActive());

        // The window goes on routing.
        failing.failBeep = false;
        failing.controlDown = false;
        rig.window->imgMatrix_Click(WindowRig::cell(1, 0));
        rig.finishActions();
        QCOMPARE(rig.picture(1, 0), 3);
    }
    setPlatform(&rig.platform);
}

void frmMainMatrixTest::closeDuringABulkRouteWaitsForItThenSavesWithoutAQuestion()
{
    WindowRig &rig = start({kTypeB, {RouterSpec{0, 7, 16, 16, 0}, RouterSpec{1, 7, 16, 16, 16}}});
    rig.core->config().routers.at(0)->SetRouterInName(2, "Camera 3");
    rig.line.clearCounters();
    bool closedAtOnce = true;
    QObject::connect(&rig.line, &VirtualRouterLine::frameReceived, rig.window.get(), [&] {
        if (rig.line.framesReceived() == 3)
            closedAtOnce = rig.window->close();
    });
    rig.platform.controlDown = true;
    rig.window->imgMIn_Click(0);

    // The close waited for the route in progress; no further output was routed.
    QTRY_VERIFY(!rig.window->isVisible());
    QVERIFY(!closedAtOnce);
    QCOMPARE(rig.commands().size(), 3);
    QVERIFY(!rig.core->link().isOpen() && !rig.core->poller().isActive());
    QVERIFY(rig.platform.messages.empty());
    QVERIFY(WindowRig::readFile(rig.configPath()).contains("Camera 3"));
}

void frmMainMatrixTest::levelKeysAndSelectorsChooseWhatAClickRoutes()
{
    WindowRig &rig = start({kTypeB, {RouterSpec{0, 7, 16, 16, 0, true}}});
    auto selected = [&](int i) {
        return rig.child<PictureButton>(QString("imgLayerSel_%1").arg(i))->isDown();
    };
    QVERIFY(selected(2));
    rig.window->imgMatrix_Click(WindowRig::cell(4, 3));
    rig.finishActions();

    // The key chooses the level and still reaches the box that has the focus.
    auto *box = rig.child<QLineEdit>("txtIn_4");
    typeInto("txtIn_4", "");
    box->deselect();
    QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
    QVERIFY(box->hasSelectedText());
    QCOMPARE(rig.core->CurrentLayer(), 2);
    QVERIFY(selected(1) && !selected(2) && !selected(0));
    leave();
    QTest::keyClick(&rig.grid(), Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(rig.core->CurrentLayer(), 1);
    QVERIFY(selected(0) && !selected(1));

    rig.line.clearCounters();
    rig.window->imgMatrix_Click(WindowRig::cell(7, 3));
    rig.finishActions();
    QCOMPARE(rig.commands(), QList<QByteArray>{WindowRig::frame(kTypeB, 0, CmdRoute, 3, 7)});
    QCOMPARE(rig.picture(7, 3), 1);
    QCOMPARE(rig.picture(4, 3), 2);

    // The audio follows again.
    QTest::mouseClick(rig.child<QWidget>("imgLayerSel_2"), Qt::LeftButton);
    QCOMPARE(rig.core->CurrentLayer(), 3);
}

void frmMainMatrixTest::routesReportedByTheRouterAreDrawn()
{
    WindowRig &rig = start();
    rig.line.clearCounters();
    QVERIFY(rig.line.frontPanelRoute(0, 3, 2));
    QTRY_COMPARE(rig.picture(2, 3), 3);
    QVERIFY(rig.commands().isEmpty());

    // The program forgets; the router still knows and tells it on Update.
    rig.core->config().routers.at(0)->RouteState(3)->SetVideo(-1);
    rig.core->config().routers.at(0)->RouteState(3)->SetAudio(-1);
    rig.window->UpdateDisplayMatrix();
    QCOMPARE(rig.picture(2, 3), 0);
    QTest::mouseClick(rig.child<QPushButton>("cmdUpdate"), Qt::LeftButton);
    QTRY_COMPARE(rig.picture(2, 3), 3);
}

void frmMainMatrixTest::typedNameIsCommittedOnceForTheInputItWasTypedFor()
{
    WindowRig &rig = start({kTypeB, {RouterSpec{0, 7, 24, 16}}});
    const clsRouter &router = *rig.core->config().routers.at(0);

    // The box shows the name the core kept: a duplicate gets its mark.
    const QString third = rig.child<QLineEdit>("txtIn_2")->text();
    typeInto("txtIn_4", third);
    leave();
    QCOMPARE(rig.child<QLineEdit>("txtIn_4")->text(), third + "!");

    // A refused name: one message, also while the message box takes the focus.
    typeInto("txtIn_6", "A;B");
    leave();
    QCOMPARE(rig.platform.messageTexts(),
             std::vector<std::string>{"Invalid input name: cannot have semicolons (;)"});

    // Saving and scrolling commit the box being edited.
    typeInto("txtIn_1", "Presenter");
    rig.window->findChild<QAction *>("mnuSaveConfig")->trigger();
    QVERIFY(WindowRig::readFile(rig.configPath()).contains("Presenter"));
    typeInto("txtIn_2", "Guest");
    rig.child<QScrollBar>("VScroll")->setValue(4);
    QCOMPARE(router.RouterInName(2), std::string("Guest"));
    QCOMPARE(rig.child<QLineEdit>("txtIn_2")->text(), QString("In 07"));
    QCOMPARE(rig.child<QLabel>("txtMIn_2")->text(), QString("7"));
    leave();
    QCOMPARE(router.RouterInName(6), std::string("In 07"));
}

void frmMainMatrixTest::switchingPanelAndModeEntriesReachTheRouter()
{
    WindowRig &rig = start({kTypeB, {RouterSpec{0, 14, 16, 16}, RouterSpec{2, 14, 16, 16, 16}}});
    rig.line.clearCounters();
    rig.child<QLineEdit>("txtAddy")->setText("2");
    rig.child<QComboBox>("cboRsIn")->setCurrentIndex(1);
    QTest::mouseClick(rig.child<QPushButton>("btnRsGo"), Qt::LeftButton);
    QTRY_COMPARE(rig.received(QByteArray::fromHex("2F2F4630325230314930325C0D")), 1);
    QTest::mouseClick(rig.child<QPushButton>("btnRsNo"), Qt::LeftButton);
    QTRY_COMPARE(rig.received(WindowRig::frame(kTypeB, 2, CmdRsDisconnect, 1, 2)), 1);

    // A mode entry is checked when the router acknowledged it, and only then.
    auto *rs = rig.window->findChild<QAction *>("mnuRS");
    auto *ir = rig.window->findChild<QAction *>("mnuIR");
    rs->trigger();
    rig.finishActions();
    QVERIFY(rs->isChecked() && !ir->isChecked());
    ir->trigger();
    rig.finishActions();
    QVERIFY(!rs->isChecked() && ir->isChecked());
    QCOMPARE(rig.received("//RS\r"), 1);
    rig.line.setSilent(true);
    rs->trigger();
    rig.finishActions();
    QVERIFY(!rs->isChecked() && ir->isChecked());
}

void frmMainMatrixTest::recordedMacroIsSavedReloadedAndReplayed()
{
    WindowRig &rig = startTypeA();
    auto macro = [&](int i) { return rig.child<QPushButton>(QString("btnMacro_%1").arg(i)); };
    auto *record = rig.child<QPushButton>("btnRecord");
    QTest::mouseClick(record, Qt::LeftButton);
    QVERIFY(rig.child<QLabel>("lblRecord")->isVisible());
    rig.window->imgMatrix_Click(WindowRig::cell(2, 4));
    rig.window->imgMatrix_Click(WindowRig::cell(5, 0));
    rig.finishActions();
    QTest::mouseClick(record, Qt::LeftButton);
    QCOMPARE(record->text(), QStringLiteral("Cancel Macro"));
    rig.platform.inputAnswers.push_back("Stage");
    QTest::mouseClick(macro(2), Qt::LeftButton);
    QVERIFY(!rig.child<QLabel>("lblRecord")->isVisible());

    MacroStore &macros = rig.core->config().macros;
    rig.window->mnuSaveConfig_Click();
    macros.ClearMacros();
    rig.platform.fileAnswers.push_back(rig.configPath().toStdString());
    rig.window->mnuLoadConfig_Click();
    rig.finishActions();
    QCOMPARE(macro(2)->text(), QStringLiteral("3: Stage"));

    rig.window->imgMatrix_Click(WindowRig::cell(9, 4));
    rig.finishActions();
    rig.line.clearCounters();
    QTest::mouseClick(macro(2), Qt::LeftButton);
    rig.finishActions();
    QCOMPARE(rig.line.receivedFrames(),
             (QList<QByteArray>{WindowRig::frame(kTypeA, 0, CmdRoute, 4, 2),
                                WindowRig::frame(kTypeA, 0, CmdRoute, 0, 5)}));
    QCOMPARE(rig.child<QLabel>("txtProgress")->text(), QStringLiteral("Stage: 2 of 2 confirmed"));
}

// Over a router that does not answer: the salvo goes on past it, the summary window names the
// failed route, and its Retry Failed sends that route alone.
void frmMainMatrixTest::aSalvoFromTheMenuEndsInASummaryThatRetriesWhatFailed()
{
    QVERIFY(WindowRig::writeFile(
        Salvos::pathFor(m_rig->configPath()),
        Salvos::format({{"Night", {{0, 1, 2, 3}, {1, 1, 3, 3}, {0, 2, 4, 3}}}})));
    WindowRig &rig = startTypeA();
    rig.line.setRouterSilent(1, true);
    auto *menu = rig.child<QMenu>("mnuSalvosMenu");
    emit menu->aboutToShow();
    QCOMPARE(menu->actions().first()->text(), QStringLiteral("Night (3 routes)"));
    menu->actions().first()->trigger();
    rig.finishActions();
    QWidget *summary = rig.window->findChild<QDialog *>("frmRouteSummary");
    QVERIFY(summary && summary->isVisible());
    QVERIFY(control<QPlainTextEdit>(summary, "txtSummary")
                ->toPlainText()
                .startsWith("Night: 2 of 3 confirmed, 1 failed\nOutput 18 to input 4: failed: "));

    // Which frames a retry sends is the core's salvo test's.
    rig.line.setRouterSilent(1, false);
    QTest::mouseClick(control<QPushButton>(summary, "cmdRetryFailed"), Qt::LeftButton);
    rig.finishActions();
    QCOMPARE(rig.child<QLabel>("txtProgress")->text(),
             QStringLiteral("Night (retry): 1 of 1 confirmed"));
}

QTEST_MAIN(frmMainMatrixTest)
#include "frmMainMatrixTest.moc"
