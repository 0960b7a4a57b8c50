#include "ui/MacroBank.h"

#include "WindowRig.h"
#include "ui/HelpViewer.h"
#include "ui/frmAbout.h"
#include "ui/frmConfig.h"
#include "util/clsDebug.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTimer>
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

class MacroBankTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void refusedNamesKeepThePendingSave();
    void cancelledSaveBeepsAndKeepsThePendingSave();
    void idleBankScrolledToTheEndShowsMacros44To50();
    void playingAnEmptyMacroLeavesTheWindowUsable();
    void replayPutsTheStepsOnTheWireInOrderAndSkipsEmptySlots();
    void recordedMacroIsSavedInOrderSurvivesSaveAndLoadAndReplays();
    void macrosHeadingOpensTheConfigurationInAnEditor();
    void helpKeyOpensTheTopicOfWhatTheOperatorDoes();
    void setupDialogHelpOpensItsTopics();
    void aboutMenuShowsTheVersion();
    void recordLabelBlinksAndShowsAgainOnEachChange();

private:
    template <typename T> T *child(const QString &name) const { return m_rig->child<T>(name); }
    QPushButton *macroButton(int i) const
    {
        return child<QPushButton>(QStringLiteral("btnMacro_%1").arg(i));
    }
    QString caption(int i) const { return macroButton(i)->text(); }
    void clickMacro(int i) { QTest::mouseClick(macroButton(i), Qt::LeftButton); }
    void clickRecord() { QTest::mouseClick(child<QPushButton>("btnRecord"), Qt::LeftButton); }
    // Record mode, the routes on the grid, record again: the recording waits for a button.
    void record(const QList<int> &cells);
    HelpViewer *helpViewer() const { return m_window->findChild<HelpViewer *>(); }
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
    // The build tree keeps the guide in share/corvantis/help, as an installation does beside
    // its bin folder.
    m_platform->programDir =
        QDir::cleanPath(QCoreApplication::applicationDirPath() + QStringLiteral("/../../bin"))
            .toStdString();
    test::LineSpec spec;
    spec.commType = kTypeA;
    spec.routerType = kRouterType;
    spec.routerTimeout = 0.5f;
    spec.routers = {{0, kRouterType, 16, 16, 0, 0, false}, {1, kRouterType, 16, 16, 0, 16, false}};
    m_rig->startWithFile(spec);
    m_core = m_rig->core.get();
    m_window = m_rig->window.get();
    m_configPath = m_rig->dataDir.filePath(QStringLiteral("test.rcf"));
    QVERIFY(m_core->ConfigFromFile());
    QVERIFY(m_core->link().isOpen());
    QVERIFY(m_platform->unexpected.empty());
    m_platform->clear();
}

void MacroBankTest::cleanup()
{
    const auto unexpected = m_platform->unexpected;
    m_rig.reset();
    QVERIFY2(unexpected.empty(), unexpected.empty() ? "" : unexpected.front().c_str());
}

void MacroBankTest::record(const QList<int> &cells)
{
    clickRecord();
    QCOMPARE(m_core->recording().RecordMode(), 1);
    for (const int c : cells)
        m_window->imgMatrix_Click(c);
    clickRecord();
    QCOMPARE(m_core->recording().RecordMode(), -1);
}

void MacroBankTest::refusedNamesKeepThePendingSave()
{
    macros().SetMacroName(5, "House");
    macros().SetMacro(5, Steps{});
    record({cell(1, 1)});
    m_platform->clear();

    m_platform->inputAnswers.push_back("Front; Back");
    clickMacro(0);
    m_platform->inputAnswers.push_back("House");
    clickMacro(0);
    QCOMPARE(m_platform->messageTexts(),
             (std::vector<std::string>{"No semicolons (;) allowed in the macro name",
                                       "This name is already in use."}));
    QCOMPARE(child<QLabel>("lblRecord")->text(), QStringLiteral("Pending Save"));
    QCOMPARE(m_core->recording().RecordMode(), -1);
    QVERIFY(!macros().Macro(0).has_value());

    m_platform->inputAnswers.push_back("Front");
    clickMacro(0);
    QCOMPARE(macros().MacroName(0), std::string("Front"));

    // A rename to its own name is no duplicate; the steps stay.
    m_platform->controlDown = true;
    m_platform->inputAnswers.push_back("Front");
    clickMacro(0);
    QCOMPARE(m_platform->messages.size(), std::size_t(2));
    QCOMPARE(caption(0), QStringLiteral("Front"));
    QCOMPARE(macros().Macro(0)->size(), std::size_t(1));
}

void MacroBankTest::cancelledSaveBeepsAndKeepsThePendingSave()
{
    record({cell(1, 1)});
    m_platform->inputAnswers.push_back(std::nullopt);
    clickMacro(3);
    QCOMPARE(m_platform->beeps, 1);
    QCOMPARE(m_core->recording().RecordMode(), -1);
    QCOMPARE(child<QLabel>("lblRecord")->text(), QStringLiteral("Pending Save"));
    QCOMPARE(caption(3), QStringLiteral("4: < unassigned >"));

    // Cancel Macro, No: still waiting; Yes: the recording is dropped.
    m_platform->answers.push_back(MessageAnswer::No);
    clickRecord();
    QCOMPARE(m_core->recording().RecordMode(), -1);
    m_platform->answers.push_back(MessageAnswer::Yes);
    clickRecord();
    QCOMPARE(m_core->recording().RecordMode(), 0);
    QVERIFY(!child<QLabel>("lblRecord")->isVisible());
    QCOMPARE(m_platform->messages.back().title, std::string("Overwrite Macro"));
}

void MacroBankTest::idleBankScrolledToTheEndShowsMacros44To50()
{
    // Idle, an unassigned button does nothing.
    clickMacro(2);
    QVERIFY(m_platform->messages.empty() && m_platform->inputPrompts.empty());
    QCOMPARE(m_platform->beeps, 0);
    QCOMPARE(m_line->framesReceived(), 0);

    auto *bar = child<QScrollBar>("VScrollMacro");
    QCOMPARE(bar->maximum(), 43);
    macros().SetMacroName(49, "Last");
    bar->setValue(43);
    QCOMPARE(caption(0), QStringLiteral("44: < unassigned >"));
    QCOMPARE(caption(6), QStringLiteral("50: Last"));
}

void MacroBankTest::playingAnEmptyMacroLeavesTheWindowUsable()
{
    macros().SetMacroName(1, "Nothing yet");
    macros().SetMacro(1, Steps{});
    m_window->ReturnFromConfig();
    QCOMPARE(caption(1), QStringLiteral("2: Nothing yet"));
    clickMacro(1);
    auto *bank = m_window->findChild<MacroBank *>();
    bank->PlayMacro(30); // holds no steps list at all
    QCOMPARE(m_line->framesReceived(), 0);
    QVERIFY(!m_core->BulkRouting());
    QVERIFY(macroButton(6)->isEnabled() && child<QPushButton>("btnRecord")->isEnabled());
    QVERIFY(m_platform->messages.empty());
}

void MacroBankTest::replayPutsTheStepsOnTheWireInOrderAndSkipsEmptySlots()
{
    auto *outputs = child<QScrollBar>("HScroll");
    outputs->setValue(outputs->maximum());
    macros().SetMacroName(4, "Show");
    macros().SetMacro(4, Steps{MacroStep::Pack(1, 3, 7, 3), MacroStep::Pack(9, 0, 0, 3),
                               MacroStep::Pack(0, 15, 255, 3), MacroStep::Pack(0, 15, 1, 3)});
    m_window->ReturnFromConfig();
    m_line->clearCounters();

    clickMacro(4);
    const Bytes disconnect = BuildFrame(kTypeA, 0, CmdDisconnect, 15, 0);
    QCOMPARE(m_line->receivedFrames(),
             (QList<QByteArray>{routeFrame(1, 3, 7),
                                QByteArray(disconnect.data(), qsizetype(disconnect.size())),
                                routeFrame(0, 15, 1)}));
    QCOMPARE(m_line->crosspoint(1, 3), 7);
    QCOMPARE(m_line->crosspoint(0, 15), 1);
    QCOMPARE(outputs->value(), 0);
    // Frame address 9 holds no router: a beep and the error line, and the replay went on.
    QCOMPARE(m_platform->beeps, 1);
    QCOMPARE(m_core->link().errorMessage(), QStringLiteral("Unassigned crosspoint"));
    QVERIFY(macroButton(4)->isEnabled());
    QVERIFY(!m_core->BulkRouting());
}

void MacroBankTest::recordedMacroIsSavedInOrderSurvivesSaveAndLoadAndReplays()
{
    clickRecord();
    QVERIFY(child<QLabel>("lblRecord")->isVisible());
    m_window->imgMatrix_Click(cell(2, 4));
    m_window->imgMatrix_Click(cell(5, 0));
    QCOMPARE(m_line->crosspoint(0, 4), 2);
    clickRecord();
    QCOMPARE(m_platform->messageTexts(),
             std::vector<std::string>{"Next: click a macro button to save these routes"});
    QCOMPARE(child<QPushButton>("btnRecord")->text(), QStringLiteral("Cancel Macro"));
    m_platform->inputAnswers.push_back("Stage");
    clickMacro(2);
    QCOMPARE(caption(2), QStringLiteral("Stage"));
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

    m_window->imgMatrix_Click(cell(9, 4));
    m_line->clearCounters();
    clickMacro(2);
    QCOMPARE(m_line->receivedFrames(),
             (QList<QByteArray>{routeFrame(0, 4, 2), routeFrame(0, 0, 5)}));
    QCOMPARE(m_line->crosspoint(0, 4), 2);
}

void MacroBankTest::macrosHeadingOpensTheConfigurationInAnEditor()
{
    qunsetenv("VISUAL");
    qputenv("EDITOR", "nano");
    QTest::mouseDClick(child<QLabel>("lblMacros"), Qt::LeftButton);
    QCOMPARE(m_platform->startedPrograms.size(), std::size_t(1));
    QCOMPARE(m_platform->startedPrograms[0],
             (std::vector<std::string>{"xdg-open", m_configPath.toStdString()}));

    qputenv("VISUAL", "mousepad");
    m_platform->startProgramResult = false;
    QTest::mouseDClick(child<QLabel>("lblMacros"), Qt::LeftButton);
    QCOMPARE(m_platform->startedPrograms.back(),
             (std::vector<std::string>{"mousepad", m_configPath.toStdString()}));
    QVERIFY(m_platform->messages.empty());
    qunsetenv("VISUAL");
    qunsetenv("EDITOR");
}

void MacroBankTest::helpKeyOpensTheTopicOfWhatTheOperatorDoes()
{
    m_window->activateWindow();
    QTest::keyClick(m_window, Qt::Key_F1);
    QVERIFY(helpViewer()->isVisible());
    QCOMPARE(helpViewer()->currentTopic(), 1001);

    clickRecord();
    QTest::keyClick(m_window, Qt::Key_F1);
    QCOMPARE(helpViewer()->currentTopic(), 1003);
}

void MacroBankTest::setupDialogHelpOpensItsTopics()
{
    // Seen from inside the modal dialog; checked once it has closed.
    QList<int> topics;
    QList<bool> modal;
    QTimer::singleShot(0, this, [this, &topics, &modal] {
        auto *dialog = qobject_cast<frmConfig *>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        // The offscreen platform leaves the main window active under a modal dialog, and a
        // window's shortcuts work only in the active window.
        QApplication::setActiveWindow(dialog);
        if (QTest::qWaitForWindowActive(dialog)) {
            QTest::keyClick(dialog, Qt::Key_F1);
            topics << helpViewer()->currentTopic();
            modal << (helpViewer()->isVisible() &&
                      helpViewer()->windowModality() == Qt::ApplicationModal);
            helpViewer()->close();
            QTest::mouseClick(dialog->findChild<QLabel *>(QStringLiteral("lblExtraHelp")),
                              Qt::LeftButton);
            topics << helpViewer()->currentTopic();
            helpViewer()->close();
        }
        dialog->reject();
    });
    m_window->mnuSetup_Click();
    // The dialog opens with the two configured routers: several routers, then the details.
    QCOMPARE(topics, (QList<int>{1010, 1011}));
    QCOMPARE(modal, QList<bool>{true});
    // Asked for from the main window again, the guide is an ordinary window.
    child<QAction>("mnuHelp")->trigger();
    QCOMPARE(helpViewer()->windowModality(), Qt::NonModal);
    QCOMPARE(helpViewer()->currentTopic(), 1001);
}

void MacroBankTest::aboutMenuShowsTheVersion()
{
    QString version;
    QTimer::singleShot(0, this, [&version] {
        auto *about = qobject_cast<frmAbout *>(QApplication::activeModalWidget());
        QVERIFY(about);
        version = about->findChild<QLabel *>(QStringLiteral("lblVersion"))->text();
        QTest::mouseClick(about->findChild<QPushButton *>(QStringLiteral("btnOK")), Qt::LeftButton);
    });
    child<QAction>("mnuAbout")->trigger();
    QCOMPARE(version, QStringLiteral("Version: 1.2.0"));
}

void MacroBankTest::recordLabelBlinksAndShowsAgainOnEachChange()
{
    const std::vector<std::pair<int, std::string>> names = {
        {0, "Morning news"}, {1, "Studio 2 live"}, {2, "Stage"}, {4, "Evening show"}};
    for (const auto &[n, name] : names) {
        macros().SetMacroName(n, name);
        macros().SetMacro(n, Steps{MacroStep::Pack(0, 1, 1, 3)});
    }
    m_window->ReturnFromConfig();
    auto *label = child<QLabel>("lblRecord");
    clickRecord();
    QVERIFY(label->isVisible());
    const QString folder = qEnvironmentVariable("CORVANTIS_IMAGE_DIR");
    if (!folder.isEmpty()) {
        QVERIFY(QDir().mkpath(folder));
        QVERIFY(child<QWidget>("fraMacros")
                    ->grab()
                    .save(QDir(folder).filePath(QStringLiteral("macro-bank.png"))));
    }

    emit m_core->poller().recordLabelBlink();
    QVERIFY(!label->isVisible());
    clickRecord();
    QVERIFY2(label->isVisible(), "Pending Save shows at once, whatever the blink left");
    emit m_core->poller().recordLabelBlink();
    m_platform->answers.push_back(MessageAnswer::Yes);
    clickRecord();
    QCOMPARE(m_core->recording().RecordMode(), 0);
    QVERIFY(!label->isVisible());
}

QTEST_MAIN(MacroBankTest)
#include "MacroBankTest.moc"
