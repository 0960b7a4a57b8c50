#include "WindowRig.h"
#include "util/Version.h"

#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>

using namespace corvantis;
using namespace corvantis::test;

namespace {

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Closes the setup dialog with Cancel as soon as it is shown.
void cancelSetupDialogWhenShown()
{
    QTimer::singleShot(0, [] {
        if (auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget()))
            dialog->reject();
        else
            qWarning("no modal dialog to cancel");
    });
}

} // namespace

class frmMainMatrixStartupTest : public QObject {
    Q_OBJECT

private slots:
    void noThenCancelStillRebuildsAndOpensThePort();
    void labelNamesTheConfiguredFamilyAndTheMatrixSize();
    void rebuildShowsWhatTheMatrixHolds_data();
    void rebuildShowsWhatTheMatrixHolds();
    void scrollBarThatStaysKeepsItsPositionWithinTheNewRange();
    void failedRebuildReportsAndLeavesTheWindowAsItWas();
    void closeSavesTheConfigurationWithoutAQuestion();
};

void frmMainMatrixStartupTest::noThenCancelStillRebuildsAndOpensThePort()
{
    WindowRig rig;
    LineSpec spec;
    rig.openLine(spec);
    rig.makeWindow();
    // The settings in force before the dialog: one router on COM1.
    rig.core->settings().CommPortName = "COM1";
    rig.core->settings().CommType = kTypeB;
    rig.core->settings().CurrentRouterType = 7;
    rig.core->config().routers.set(0, makeRouter(RouterSpec{0, 7, 16, 12}));
    rig.platform.answers.push_back(MessageAnswer::No);
    cancelSetupDialogWhenShown();
    rig.window->Form_Load();

    QVERIFY(!rig.core->settings().ConfigLoaded);
    QVERIFY(!rig.core->ConfigFromFile());
    QCOMPARE(rig.child<QLabel>("lblRouterType")->text(), QString("Router 16x12"));
    QVERIFY(rig.core->link().isOpen());
    QVERIFY(!rig.grid().isCellVisible(WindowRig::cell(0, 12)));
    QVERIFY(rig.grid().isCellVisible(WindowRig::cell(15, 11)));
    QVERIFY(rig.platform.unexpected.empty());
}

void frmMainMatrixStartupTest::rebuildShowsWhatTheMatrixHolds_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("inputs");
    QTest::addColumn<int>("outputs");
    QTest::addColumn<bool>("breakaway");
    QTest::addColumn<int>("vMaximum"); // -1 hidden
    QTest::addColumn<int>("hMaximum");
    QTest::addColumn<QString>("label");
    QTest::addColumn<bool>("update");
    QTest::addColumn<bool>("panel");

    QTest::newRow("17 inputs show the input bar")
        << 7 << 17 << 16 << false << 1 << -1 << "Router 17x16" << true << false;
    QTest::newRow("audio breakaway offers the levels")
        << 7 << 8 << 40 << true << -1 << 24 << "Router 8x40" << true << false;
    QTest::newRow("model 3 has no update button")
        << 3 << 16 << 4 << false << -1 << -1 << "Router 16x4" << false << false;
    QTest::newRow("model 4 has the RS-232 panel")
        << 4 << 16 << 16 << false << -1 << -1 << "Router 16x16" << true << true;
}

void frmMainMatrixStartupTest::rebuildShowsWhatTheMatrixHolds()
{
    QFETCH(int, type);
    QFETCH(int, inputs);
    QFETCH(int, outputs);
    QFETCH(bool, breakaway);
    QFETCH(int, vMaximum);
    QFETCH(int, hMaximum);
    QFETCH(QString, label);
    QFETCH(bool, update);
    QFETCH(bool, panel);

    WindowRig rig;
    rig.makeWindow();
    rig.window->show();
    const int hiddenHeight = rig.window->height();
    rig.core->settings().CurrentRouterType = static_cast<std::int16_t>(type);
    rig.core->config().routers.set(0, makeRouter({0, type, inputs, outputs, 0, 0, breakaway}));
    rig.window->ReturnFromConfig();

    auto *vScroll = rig.child<QScrollBar>("VScroll");
    auto *hScroll = rig.child<QScrollBar>("HScroll");
    QCOMPARE(vScroll->isVisible() ? vScroll->maximum() : -1, vMaximum);
    QCOMPARE(hScroll->isVisible() ? hScroll->maximum() : -1, hMaximum);

    for (int k = 0; k < 256; ++k)
        QCOMPARE(rig.grid().isCellVisible(k), k % 16 < outputs && k / 16 < inputs);
    for (int i = 0; i < 16; ++i) {
        const bool row = i < inputs;
        const bool column = i < outputs;
        QCOMPARE(rig.child<QLineEdit>(QString("txtIn_%1").arg(i))->isVisible(), row);
        QCOMPARE(rig.child<QWidget>(QString("txtMIn_%1").arg(i))->isVisible(), row);
        QCOMPARE(rig.child<QWidget>(QString("imgMIn_%1").arg(i))->isVisible(), row);
        for (const char *name : {"txtOut", "txtSOut", "imgMOut", "imgSOut", "lblMOut"})
            QCOMPARE(rig.child<QWidget>(QString("%1_%2").arg(name).arg(i))->isVisible(), column);
    }
    QCOMPARE(rig.child<QLabel>("lblRouterType")->text(), label);
    for (int i = 0; i < 3; ++i)
        QCOMPARE(rig.child<QWidget>(QString("imgLayerSel_%1").arg(i))->isVisible(), breakaway);
    QCOMPARE(rig.child<QLabel>("lblLevel")->isVisible(), breakaway);
    QCOMPARE(rig.child<QPushButton>("cmdUpdate")->isVisible(), update);
    QCOMPARE(rig.child<QWidget>("btnRsGo")->isVisible(), panel);
    QCOMPARE(rig.window->height(),
             hiddenHeight + (panel ? frmMainMatrix::kSwitchingPanelHeight : 0));
}

void frmMainMatrixStartupTest::labelNamesTheConfiguredFamilyAndTheMatrixSize()
{
    WindowRig rig;
    rig.makeWindow();
    // The family follows the configured model once a configuration was accepted.
    rig.core->settings().ConfigLoaded = true;
    rig.core->settings().CurrentRouterType = 7;
    rig.core->config().routers.set(0, makeRouter({0, 7, 16, 4}));
    rig.window->ReturnFromConfig();
    QCOMPARE(rig.child<QLabel>("lblRouterType")->text(), QString("Vexa 16x4"));
    rig.core->config().routers.set(1, makeRouter({1, 7, 8, 8, 0, 4}));
    rig.window->ReturnFromConfig();
    QCOMPARE(rig.child<QLabel>("lblRouterType")->text(), QString("Vexa 16x12"));
    QCOMPARE(rig.child<QLabel>("lblRouterTypeShadow")->text(), QString("Vexa 16x12"));
}

void frmMainMatrixStartupTest::scrollBarThatStaysKeepsItsPositionWithinTheNewRange()
{
    WindowRig rig;
    rig.makeWindow();
    rig.core->config().routers.set(0, makeRouter({0, 7, 40, 16}));
    rig.window->ReturnFromConfig();
    auto *vScroll = rig.child<QScrollBar>("VScroll");
    vScroll->setValue(20);

    rig.core->config().routers.set(0, makeRouter({0, 7, 30, 16}));
    rig.window->ReturnFromConfig();
    QCOMPARE(vScroll->maximum(), 14);
    QCOMPARE(vScroll->value(), 14);
    QCOMPARE(rig.core->InputOffset(), 14);
    QCOMPARE(rig.child<QLabel>("txtMIn_0")->text(), QString("15"));
}

void frmMainMatrixStartupTest::failedRebuildReportsAndLeavesTheWindowAsItWas()
{
    WindowRig rig;
    LineSpec spec;
    rig.openLine(spec);
    rig.makeWindow();
    rig.core->settings().CommPortName = "COM1";
    rig.core->config().routers.set(0, makeRouter({0, 7, 16, 8}));
    rig.window->ReturnFromConfig();
    rig.core->link().CloseCommPort();

    // A paired layout without the odd router cannot be built.
    rig.core->settings().MatrixSize = true;
    rig.window->ReturnFromConfig();
    QCOMPARE(rig.platform.messages.size(), std::size_t(1));
    const auto &report = rig.platform.messages.front();
    QVERIFY(report.text.rfind("Error: ", 0) == 0);
    QCOMPARE(rig.child<QLabel>("lblRouterType")->text(), QString("Router 16x8"));
    QVERIFY(!rig.grid().isCellVisible(WindowRig::cell(0, 8)));
    QVERIFY(!rig.core->link().isOpen());
}

void frmMainMatrixStartupTest::closeSavesTheConfigurationWithoutAQuestion()
{
    WindowRig rig;
    LineSpec spec;
    rig.startWithFile(spec);
    const QString path = QString::fromStdString(rig.core->settings().ConfigFilePath);
    QVERIFY(path.endsWith("test.rcf"));
    rig.core->config().routers.at(0)->SetRouterInName(2, "Camera 3");
    const auto before = rig.platform.messages.size();

    QVERIFY(rig.window->close());
    QCOMPARE(rig.platform.messages.size(), before);
    QVERIFY(rig.platform.fileDialogTitles.size() == 1); // only the load at start-up
    QVERIFY(readFile(path).contains("Camera 3"));
    QVERIFY(!rig.core->link().isOpen());
    QVERIFY(!rig.core->poller().isActive());
}

QTEST_MAIN(frmMainMatrixStartupTest)
#include "frmMainMatrixStartupTest.moc"
