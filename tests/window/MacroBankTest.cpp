#include "ui/MacroBank.h"

#include "WindowRig.h"
#include "util/clsDebug.h"

#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QtTest>
#include <memory>

using namespace corvantis;

namespace {

using Steps = std::vector<std::uint32_t>;

// 16x16 and Type A: no status request and no poll share the line with the tested commands.
constexpr int kRouterType = 3;

QByteArray routeFrame(int frameAddress, int output, int input)
{
    return test::WindowRig::frame(kTypeA, frameAddress, CmdRoute, output, input);
}

int cell(int viewInput, int viewOutput)
{
    return test::WindowRig::cell(viewInput, viewOutput);
}

} // namespace

// The decisions of the bank are the logic's; these walk the window's wiring on the line.
class MacroBankTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void recordedMacroIsSavedSurvivesSaveAndLoadAndReplays();

private:
    template <typename T> T *child(const QString &name) const { return m_rig->child<T>(name); }
    QPushButton *macroButton(int i) const
    {
        return child<QPushButton>(QStringLiteral("btnMacro_%1").arg(i));
    }
    QString caption(int i) const { return macroButton(i)->text(); }
    void clickMacro(int i) { QTest::mouseClick(macroButton(i), Qt::LeftButton); }
    void clickRecord() { QTest::mouseClick(child<QPushButton>("btnRecord"), Qt::LeftButton); }
    MacroStore &macros() const { return m_core->config().macros; }

    std::unique_ptr<test::WindowRig> m_rig;
    test::ScriptedPlatform *m_platform = nullptr;
    VirtualRouterLine *m_line = nullptr;
    AppCore *m_core = nullptr;
    frmMainMatrix *m_window = nullptr;
    QString m_configPath;
};

void MacroBankTest::init()
{
    DebugLog().SetEnable(false);
    m_rig = std::make_unique<test::WindowRig>();
    m_platform = &m_rig->platform;
    m_line = &m_rig->line;
    test::LineSpec spec;
    spec.commType = kTypeA;
    spec.routerType = kRouterType;
    spec.routerTimeout = 0.5f;
    spec.routers = {{0, kRouterType, 16, 16, 0, 0, false}, {1, kRouterType, 16, 16, 0, 16, false}};
    m_rig->startWithFile(spec);
    m_core = m_rig->core.get();
    m_window = m_rig->window.get();
    m_configPath = m_rig->dataDir.filePath(QStringLiteral("test.rcf"));
    QVERIFY(m_core->link().isOpen());
    m_platform->clear();
}

void MacroBankTest::cleanup()
{
    const auto unexpected = m_platform->unexpected;
    m_rig.reset();
    QVERIFY2(unexpected.empty(), unexpected.empty() ? "" : unexpected.front().c_str());
}

void MacroBankTest::recordedMacroIsSavedSurvivesSaveAndLoadAndReplays()
{
    clickRecord();
    QVERIFY(child<QLabel>("lblRecord")->isVisible());
    m_window->imgMatrix_Click(cell(2, 4));
    m_window->imgMatrix_Click(cell(5, 0));
    QCOMPARE(m_line->crosspoint(0, 4), 2);
    clickRecord();
    QCOMPARE(child<QPushButton>("btnRecord")->text(), QStringLiteral("Cancel Macro"));
    m_platform->inputAnswers.push_back("Stage");
    clickMacro(2);
    QCOMPARE(m_core->recording().RecordMode(), 0);
    QVERIFY(!child<QLabel>("lblRecord")->isVisible());
    QCOMPARE(*macros().Macro(2), (Steps{MacroStep::Pack(0, 4, 2, 3), MacroStep::Pack(0, 0, 5, 3)}));

    m_window->mnuSaveConfig_Click();
    QFile file(m_configPath);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QVERIFY(file.readAll().contains("  Macro 02: Stage; {0, 4} = {2, 3}; {0, 0} = {5, 3}; \r\n"));

    macros().ClearMacros();
    m_platform->fileAnswers.push_back(m_configPath.toStdString());
    m_window->mnuLoadConfig_Click();
    QCOMPARE(caption(2), QStringLiteral("3: Stage"));
    auto *bar = child<QScrollBar>("VScrollMacro");
    bar->setValue(bar->maximum());
    QCOMPARE(caption(0), QStringLiteral("44: < unassigned >"));
    bar->setValue(0);

    m_window->imgMatrix_Click(cell(9, 4));
    m_line->clearCounters();
    clickMacro(2);
    QCOMPARE(m_line->receivedFrames(),
             (QList<QByteArray>{routeFrame(0, 4, 2), routeFrame(0, 0, 5)}));
    QCOMPARE(m_line->crosspoint(0, 4), 2);
}

QTEST_MAIN(MacroBankTest)
#include "MacroBankTest.moc"
