#include "ui/frmConfig.h"

#include "config/ConfigFile.h"
#include "support/ScriptedPlatform.h"
#include "util/Version.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

using namespace corvantis;

namespace {

std::unique_ptr<clsRouter> makeRouter(int slot, int type, int ports, int mapOut)
{
    auto router = std::make_unique<clsRouter>();
    router->SetFrameAddress(slot);
    router->SetRouterType(type);
    router->SetInputCount(ports - 1);
    router->SetOutputCount(ports - 1);
    router->SetMapOut(mapOut);
    return router;
}

QStringList routerTexts(const RouterTable &routers)
{
    QStringList texts;
    for (int slot = 0; slot < RouterTable::kSlots; ++slot)
        texts << (routers.at(slot) ? QString::fromStdString(routers.at(slot)->StringVal())
                                   : QStringLiteral("(empty)"));
    return texts;
}

} // namespace

class frmConfigTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void opensWithConfiguredRoutersEachShowingItsModel();
    void cancelAfterEditsLeavesTheConfigurationUntouched();
    void countChangeWithOkEmptiesTheDroppedSlot();
    void scrollRangeWithFiveRoutersShowsTheFifth();
    void rowsWithoutRouterAreBlankAndSplitBoxesNeverShow();
    void refusedCountRestoresAndEnterAppliesBeforeOk();
    void timeoutOutOfRangeKeepsTheDialogOpen();
    void advancedToggleResizesAndEnablesTheAdvancedFrame();
    void modelChoiceTellsTheFamilyAndFraming();
    void advancedFrameButtonsAskTheirDialogs();
    void helpKeyAndExtraHelpAskForTopics();
    void comPortHintShowsTheDeviceBehindThePort();
    void wheelOverTheScrollBarKeepsTheCountBeingTyped();

private:
    void addRouters(int count, int ports = 16);
    std::unique_ptr<frmConfig> openDialog();
    template <typename T> T *child(const QString &name) const
    {
        auto *widget = m_dialog->findChild<T *>(name);
        if (!widget)
            qFatal("no control %s", qPrintable(name));
        return widget;
    }
    void choose(const QString &list, int index);
    void typeInto(const QString &box, const QString &text);
    void click(const QString &button)
    {
        QTest::mouseClick(child<QAbstractButton>(button), Qt::LeftButton);
    }

    std::unique_ptr<test::ScriptedPlatform> m_platform;
    std::unique_ptr<QTemporaryDir> m_dataDir;
    Configuration m_config;
    std::unique_ptr<frmConfig> m_dialog;
};

void frmConfigTest::init()
{
    m_platform = std::make_unique<test::ScriptedPlatform>();
    m_dataDir = std::make_unique<QTemporaryDir>();
    m_platform->dataFolder = m_dataDir->path().toStdString();
    m_config = Configuration();
    m_config.settings.CommPortName = "COM2";
    m_config.settings.RouterTimeout = 0.5f;
    m_config.settings.CommType = 1;
    m_config.settings.CurrentRouterType = 7;
}

void frmConfigTest::cleanup()
{
    m_dialog.reset();
    QVERIFY2(m_platform->unexpected.empty(),
             m_platform->unexpected.empty() ? "" : m_platform->unexpected.front().c_str());
    m_platform.reset();
    m_dataDir.reset();
}

void frmConfigTest::addRouters(int count, int ports)
{
    for (int slot = 0; slot < count; ++slot)
        m_config.routers.set(slot, makeRouter(slot, 7, ports, slot * ports));
}

std::unique_ptr<frmConfig> frmConfigTest::openDialog()
{
    auto dialog = std::make_unique<frmConfig>(m_config);
    dialog->show();
    if (!QTest::qWaitForWindowActive(dialog.get()))
        qWarning("dialog did not become active");
    return dialog;
}

void frmConfigTest::choose(const QString &list, int index)
{
    auto *combo = child<QComboBox>(list);
    combo->setFocus(Qt::MouseFocusReason);
    combo->setCurrentIndex(index);
    emit combo->activated(index);
}

// As the operator does it: click into the box, replace its text, leave it with Tab.
void frmConfigTest::typeInto(const QString &box, const QString &text)
{
    auto *edit = child<QLineEdit>(box);
    edit->setFocus(Qt::MouseFocusReason);
    edit->selectAll();
    QTest::keyClicks(edit, text);
    QTest::keyClick(edit, Qt::Key_Tab);
}

void frmConfigTest::opensWithConfiguredRoutersEachShowingItsModel()
{
    addRouters(5);
    m_config.routers.at(1)->SetRouterType(12);
    m_config.routers.at(1)->SetInputCount(5);
    m_dialog = openDialog();
    QCOMPARE(child<QComboBox>("cboRouterCount")->currentText(), QStringLiteral("5"));
    QCOMPARE(child<QComboBox>("cboCom")->currentText(), QStringLiteral("COM2"));
    QCOMPARE(child<QComboBox>("cboCommType")->currentText(), QStringLiteral("Type B"));
    QCOMPARE(child<QLineEdit>("txtTimeout")->text(), QStringLiteral("0.5"));
    QCOMPARE(child<QComboBox>("cboRouter_1")->currentText(), QStringLiteral("Orla 32x32"));
    QCOMPARE(child<QLineEdit>("txtInputs_1")->text(), QStringLiteral("6"));
    QCOMPARE(child<QLabel>("lblFA_1")->text(), QStringLiteral("01"));
    QCOMPARE(m_dialog->height(), frmConfig::kNormalHeight);
    QVERIFY(!child<QGroupBox>("fraNull_0")->isEnabled());
}

void frmConfigTest::cancelAfterEditsLeavesTheConfigurationUntouched()
{
    addRouters(3);
    const QStringList before = routerTexts(m_config.routers);
    m_dialog = openDialog();
    choose("cboRouter_0", 5);
    typeInto("txtOutputs_1", "4");
    choose("cboRouterCount", 1);
    click("btnCancel");
    QCOMPARE(m_dialog->result(), int(QDialog::Rejected));
    Configuration written = m_config;
    m_dialog->writeResults(written);
    QCOMPARE(routerTexts(written.routers), before);
    QVERIFY(!written.settings.ConfigLoaded);
}

void frmConfigTest::countChangeWithOkEmptiesTheDroppedSlot()
{
    addRouters(3);
    m_dialog = openDialog();
    choose("cboRouterCount", 1);
    QVERIFY(!child<QComboBox>("cboRouter_2")->isVisible());
    click("btnOK");
    QCOMPARE(m_dialog->result(), int(QDialog::Accepted));
    m_dialog->writeResults(m_config);
    QVERIFY(m_config.settings.ConfigLoaded);
    QCOMPARE(m_config.routers.MaxRouter(), 1);
    QVERIFY(m_config.routers.at(2) == nullptr);
    QVERIFY(m_platform->messages.empty());
}

void frmConfigTest::scrollRangeWithFiveRoutersShowsTheFifth()
{
    addRouters(5, 8);
    m_dialog = openDialog();
    auto *bar = child<QScrollBar>("VScroll");
    QCOMPARE(bar->maximum(), 1);
    bar->setValue(1);
    QCOMPARE(child<QLabel>("lblFA_3")->text(), QStringLiteral("04"));
    // A row shows the router scrolled into it: router 4 sits in row 3 now.
    typeInto("txtInputs_3", "4");
    QCOMPARE(m_dialog->model().DialogRouter(4)->InputCount(), std::int16_t(3));
    QCOMPARE(m_dialog->model().DialogRouter(3)->InputCount(), std::int16_t(7));
}

void frmConfigTest::rowsWithoutRouterAreBlankAndSplitBoxesNeverShow()
{
    addRouters(3);
    m_config.routers.at(0)->AudioBreakaway = true;
    m_dialog = openDialog();
    click("btnAdvanced");
    QVERIFY(child<QComboBox>("cboRouter_2")->isVisible());
    QVERIFY(child<QLineEdit>("txtMInput_2")->isVisible());
    for (const char *name : {"cboRouter_3", "txtInputs_3", "txtOutputs_3", "txtMInput_3"})
        QVERIFY(!child<QWidget>(name)->isVisible());
    for (int r = 0; r < 4; ++r)
        QVERIFY(!child<QCheckBox>(QStringLiteral("ckAVSplit_%1").arg(r))->isVisible());
    QVERIFY(child<QCheckBox>("ckAVSplit_0")->isChecked());
}

void frmConfigTest::refusedCountRestoresAndEnterAppliesBeforeOk()
{
    addRouters(1);
    m_dialog = openDialog();
    typeInto("txtInputs_0", "0");
    QCOMPARE(m_platform->messageTexts(), std::vector<std::string>{"Input count out of range"});
    QCOMPARE(child<QLineEdit>("txtInputs_0")->text(), QStringLiteral("16"));

    auto *box = child<QLineEdit>("txtOutputs_0");
    box->setFocus(Qt::MouseFocusReason);
    box->selectAll();
    QTest::keyClicks(box, "8");
    QTest::keyClick(box, Qt::Key_Return);
    QCOMPARE(m_dialog->result(), int(QDialog::Accepted));
    m_dialog->writeResults(m_config);
    QCOMPARE(m_config.routers.at(0)->InputCount(), std::int16_t(15));
    QCOMPARE(m_config.routers.at(0)->OutputCount(), std::int16_t(7));
}

void frmConfigTest::timeoutOutOfRangeKeepsTheDialogOpen()
{
    addRouters(1);
    m_dialog = openDialog();
    auto *box = child<QLineEdit>("txtTimeout");
    box->selectAll();
    QTest::keyClicks(box, "60.5");
    click("btnOK");
    QCOMPARE(m_platform->messageTexts(),
             std::vector<std::string>{"Router Timeout must be between 0 and 60 seconds"});
    QVERIFY(m_dialog->isVisible());
    m_dialog->writeResults(m_config);
    QCOMPARE(m_config.settings.RouterTimeout, 0.5f);
}

void frmConfigTest::advancedToggleResizesAndEnablesTheAdvancedFrame()
{
    addRouters(2);
    m_dialog = openDialog();
    auto *frame = child<QGroupBox>("fraNull_0");
    auto *upload = child<QPushButton>("cmdXmitEdid");
    QVERIFY(!frame->isVisible() && !upload->isEnabled());
    QVERIFY(child<QPushButton>("btnResetMapping")->isVisible());

    click("btnAdvanced");
    QCOMPARE(m_dialog->height(), frmConfig::kAdvancedHeight);
    QVERIFY(frame->isVisible() && upload->isEnabled());
    QVERIFY(child<QComboBox>("cboFrameAddress")->isEnabled());
    QVERIFY(!child<QPushButton>("btnResetMapping")->isVisible());
    QCOMPARE(child<QLabel>("lblMOutEnd_1")->text(), QStringLiteral("-32"));

    click("btnAdvanced");
    QCOMPARE(m_dialog->height(), frmConfig::kNormalHeight);
    QVERIFY(!child<QPushButton>("cmdRouterAddress")->isEnabled());
    QCOMPARE(child<QLabel>("lblMOutEnd_1")->text(), QString());
}

void frmConfigTest::modelChoiceTellsTheFamilyAndFraming()
{
    addRouters(2);
    m_dialog = openDialog();
    QSignalSpy labels(m_dialog.get(), &frmConfig::familyLabelChanged);
    choose("cboRouter_0", 3);
    QCOMPARE(labels.count(), 1);
    QCOMPARE(labels.at(0).at(0).toString(), QStringLiteral("Palomir"));
    QCOMPARE(child<QComboBox>("cboCommType")->currentText(), QStringLiteral("Type A"));
    choose("cboRouter_0", 5);
    QCOMPARE(child<QLineEdit>("txtMOutput_1")->text(), QStringLiteral("5"));
    QCOMPARE(child<QComboBox>("cboCommType")->currentText(), QStringLiteral("Type B"));
}

void frmConfigTest::advancedFrameButtonsAskTheirDialogs()
{
    addRouters(1);
    m_dialog = openDialog();
    click("btnAdvanced");
    QSignalSpy address(m_dialog.get(), &frmConfig::changeRouterAddressRequested);
    QSignalSpy upload(m_dialog.get(), &frmConfig::uploadEdidRequested);

    click("cmdRouterAddress");
    QCOMPARE(address.count(), 1);

    m_platform->fileAnswers = {"/data/monitor.bin", ""};
    click("cmdOpenEdid");
    QCOMPARE(m_platform->fileDialogTitles, std::vector<std::string>{"Configuration File"});
    QCOMPARE(child<QLineEdit>("txtEdidFile")->text(), QStringLiteral("/data/monitor.bin"));
    click("cmdOpenEdid"); // cancelled: the chosen file stays
    QCOMPARE(child<QLineEdit>("txtEdidFile")->text(), QStringLiteral("/data/monitor.bin"));

    choose("cboFrameAddress", 3);
    choose("cboCom", 4);
    click("cmdXmitEdid");
    QCOMPARE(upload.count(), 1);
    QCOMPARE(upload.at(0).at(0).toInt(), 3);
    QCOMPARE(upload.at(0).at(1).toString(), QStringLiteral("/data/monitor.bin"));
    QCOMPARE(upload.at(0).at(2).toString(), QStringLiteral("COM5"));
}

void frmConfigTest::helpKeyAndExtraHelpAskForTopics()
{
    addRouters(1);
    m_dialog = openDialog();
    QSignalSpy help(m_dialog.get(), &frmConfig::helpRequested);
    QVERIFY(!child<QLabel>("lblExtraHelp")->isVisible());
    QTest::keyClick(m_dialog.get(), Qt::Key_F1);
    choose("cboRouterCount", 3);
    QTest::keyClick(m_dialog.get(), Qt::Key_F1);
    QTest::mouseClick(child<QLabel>("lblExtraHelp"), Qt::LeftButton);
    QCOMPARE(help.count(), 3);
    QCOMPARE(help.at(0).at(0).toInt(), 1002);
    QCOMPARE(help.at(1).at(0).toInt(), 1010);
    QCOMPARE(help.at(2).at(0).toInt(), 1011);
}

void frmConfigTest::comPortHintShowsTheDeviceBehindThePort()
{
    addRouters(1);
    const QString ports = m_dataDir->filePath(
        QStringLiteral("Corvantis/%1.%2/ports").arg(kVersionMajor).arg(kVersionMinor));
    QVERIFY(QDir().mkpath(ports));
    const QString device = m_dataDir->filePath(QStringLiteral("pty"));
    QFile file(device);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    QVERIFY(QFile::link(device, ports + QStringLiteral("/com2")));

    m_dialog = openDialog();
    auto *hint = child<QLabel>("lblComTarget");
    QVERIFY2(hint->text().contains(QStringLiteral("(found)")), qPrintable(hint->text()));
    QFile::remove(device);
    choose("cboCom", 0);
    choose("cboCom", 1);
    QVERIFY2(hint->text().contains(QStringLiteral("(not found)")), qPrintable(hint->text()));
}

void frmConfigTest::wheelOverTheScrollBarKeepsTheCountBeingTyped()
{
    addRouters(8);
    m_dialog = openDialog();
    auto *box = child<QLineEdit>("txtInputs_0");
    box->setFocus(Qt::MouseFocusReason);
    box->selectAll();
    QTest::keyClicks(box, "8");
    auto *bar = child<QScrollBar>("VScroll");
    QWheelEvent wheel(QPointF(4, 4), bar->mapToGlobal(QPointF(4, 4)), {}, QPoint(0, -120),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(bar, &wheel);
    const int top = bar->value();
    QVERIFY(top > 0 && box->hasFocus());
    QCOMPARE(m_dialog->model().DialogRouter(0)->InputCount(), 7);
    // The box, still open, now belongs to the router scrolled into its row.
    box->selectAll();
    QTest::keyClicks(box, "5");
    QTest::keyClick(box, Qt::Key_Tab);
    QCOMPARE(m_dialog->model().DialogRouter(top)->InputCount(), 4);
}

QTEST_MAIN(frmConfigTest)
#include "frmConfigTest.moc"
