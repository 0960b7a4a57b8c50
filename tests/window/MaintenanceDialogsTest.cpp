#include "ui/MaintenanceDialogs.h"

#include "config/ConfigFile.h"
#include "link/Framing.h"
#include "link/SerialLink.h"
#include "sim/VirtualRouterLine.h"
#include "support/ScriptedPlatform.h"
#include "ui/frmConfig.h"
#include "ui/frmEdidDownload.h"
#include "ui/frmInternalSetup.h"
#include "ui/frmPassword.h"
#include "util/GeneralFunctions.h"

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <functional>
#include <memory>

using namespace corvantis;
using namespace std::chrono_literals;

class MaintenanceDialogsTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void passwordInAnotherCaseIsRefusedAndTheBoxEmptied_data();
    void passwordInAnotherCaseIsRefusedAndTheBoxEmptied();
    void rightPasswordOpensInternalSetupAndClosesAfterIt();
    void applyPressedTwiceSendsTwoCommandsAndOkAppliesOnceMore();
    void edidUploadEndsInDownloadSuccess();
    void edidFileOf127BytesEndsInBadEdidFile();
    void setupDialogButtonsOpenTheirDialogs();

private:
    template <typename T> static T *child(QWidget *window, const QString &name)
    {
        auto *widget = window->findChild<T *>(name);
        if (!widget)
            qFatal("no control %s", qPrintable(name));
        return widget;
    }
    static void click(QWidget *window, const QString &button)
    {
        QTest::mouseClick(child<QPushButton>(window, button), Qt::LeftButton);
    }
    // Calls step with the modal dialog of that name whenever it is up, until step says done.
    void onModal(const QString &name, std::function<bool(QWidget *)> step);
    QString writeEdid(const QString &name, int size) const;
    QByteArray edidBytes(int size) const;

    std::unique_ptr<test::ScriptedPlatform> m_platform;
    std::unique_ptr<QTemporaryDir> m_dataDir;
    std::unique_ptr<VirtualRouterLine> m_line;
    std::unique_ptr<Configuration> m_config;
    std::unique_ptr<SerialLink> m_link;
    std::unique_ptr<QTimer> m_modalWatch;
};

void MaintenanceDialogsTest::init()
{
    m_platform = std::make_unique<test::ScriptedPlatform>();
    m_dataDir = std::make_unique<QTemporaryDir>();
    m_platform->dataFolder = m_dataDir->path().toStdString();

    m_line = std::make_unique<VirtualRouterLine>();
    m_line->setCommType(kTypeB);
    m_line->setPacing(false);
    m_line->addRouter({0, 16, 16, 0});
    QVERIFY(m_line->open(QString::fromStdString(ProgramDataFolder()) + "ports/com1"));

    m_config = std::make_unique<Configuration>();
    auto &settings = m_config->settings;
    settings.CommPortName = "COM1";
    settings.RouterTimeout = 0.5f;
    settings.CommType = kTypeB;
    settings.CurrentRouterType = 7;
    auto router = std::make_unique<clsRouter>();
    router->SetRouterType(7);
    router->SetInputCount(15);
    router->SetOutputCount(15);
    m_config->routers.set(0, std::move(router));

    m_link = std::make_unique<SerialLink>(settings);
    m_link->setTimings({.closing = 0ms, .noWait = 0ms, .resend = 0ms, .statusReply = 0ms});
}

void MaintenanceDialogsTest::cleanup()
{
    m_modalWatch.reset();
    m_link.reset();
    m_line.reset();
    m_config.reset();
    QVERIFY2(m_platform->unexpected.empty(),
             m_platform->unexpected.empty() ? "" : m_platform->unexpected.front().c_str());
    m_platform.reset();
    m_dataDir.reset();
}

void MaintenanceDialogsTest::onModal(const QString &name, std::function<bool(QWidget *)> step)
{
    m_modalWatch = std::make_unique<QTimer>();
    m_modalWatch->setInterval(5);
    QTimer *watch = m_modalWatch.get();
    connect(watch, &QTimer::timeout, watch, [watch, name, step] {
        QWidget *modal = QApplication::activeModalWidget();
        if (modal && modal->objectName() == name && step(modal))
            watch->stop();
    });
    watch->start();
}

QByteArray MaintenanceDialogsTest::edidBytes(int size) const
{
    QByteArray bytes = QByteArrayLiteral("\x00\xFF\xFF\xFF\xFF\xFF\xFF\x00");
    while (bytes.size() < size)
        bytes += static_cast<char>(bytes.size() * 3);
    return bytes.left(size);
}

QString MaintenanceDialogsTest::writeEdid(const QString &name, int size) const
{
    const QString path = m_dataDir->path() + QLatin1Char('/') + name;
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        qFatal("cannot write %s", qPrintable(path));
    file.write(edidBytes(size));
    return path;
}

void MaintenanceDialogsTest::passwordInAnotherCaseIsRefusedAndTheBoxEmptied_data()
{
    QTest::addColumn<QString>("typed");
    QTest::newRow("capital first") << "Velto";
    QTest::newRow("all capitals") << "VELTO";
    QTest::newRow("trailing blank") << "velto ";
    QTest::newRow("empty") << "";
}

void MaintenanceDialogsTest::passwordInAnotherCaseIsRefusedAndTheBoxEmptied()
{
    QFETCH(QString, typed);
    frmPassword prompt(m_config->settings, *m_link);
    prompt.show();
    QCOMPARE(prompt.windowTitle(), QStringLiteral("Protected Area"));
    auto *box = child<QLineEdit>(&prompt, "txtPassword");
    QTest::keyClicks(box, typed);
    m_platform->answers.push_back(MessageAnswer::Ok);

    click(&prompt, "cmdOK");

    QCOMPARE(m_platform->messages.size(), size_t(1));
    const auto &message = m_platform->messages.front();
    QCOMPARE(message.text, std::string("Incorrect Password!"));
    QCOMPARE(message.buttons, MessageButtons::OkCancel);
    QCOMPARE(message.icon, MessageIcon::Exclamation);
    QVERIFY(box->text().isEmpty());
    QVERIFY(prompt.isVisible());
    QCOMPARE(m_link->transmissions(), quint64(0));
}

void MaintenanceDialogsTest::rightPasswordOpensInternalSetupAndClosesAfterIt()
{
    frmPassword prompt(m_config->settings, *m_link);
    prompt.show();
    auto *box = child<QLineEdit>(&prompt, "txtPassword");
    QTest::keyClicks(box, "velto");
    QStringList seen;
    onModal("frmInternalSetup", [&seen](QWidget *setup) {
        seen << setup->windowTitle() << child<QComboBox>(setup, "cboCurFrameAddress")->currentText()
             << child<QComboBox>(setup, "cboNewFrameAddress")->currentText();
        click(setup, "cmdCancel");
        return true;
    });

    click(&prompt, "cmdOK");

    QCOMPARE(seen, (QStringList{"Internal Setup", "0", "0"}));
    QVERIFY(!prompt.isVisible());
    QCOMPARE(prompt.result(), int(QDialog::Accepted));
    QVERIFY(box->text().isEmpty());
    QVERIFY(m_platform->messages.empty());
    QCOMPARE(m_link->transmissions(), quint64(0));
}

void MaintenanceDialogsTest::applyPressedTwiceSendsTwoCommandsAndOkAppliesOnceMore()
{
    frmInternalSetup setup(m_config->settings, *m_link);
    setup.show();
    auto *current = child<QComboBox>(&setup, "cboCurFrameAddress");
    auto *next = child<QComboBox>(&setup, "cboNewFrameAddress");
    QCOMPARE(current->count(), 16);
    QCOMPARE(next->itemText(15), QStringLiteral("15"));

    click(&setup, "cmdApply");
    click(&setup, "cmdApply");

    const QByteArray unchanged = QByteArray::fromStdString(BuildFrame(kTypeB, 0, 14, 0, 0));
    QTRY_COMPARE(m_line->framesReceived(), 2);
    QCOMPARE(m_line->receivedFrames(), (QList<QByteArray>{unchanged, unchanged}));
    QCOMPARE(m_platform->messages.size(), size_t(2));
    QCOMPARE(m_platform->messages[1].icon, MessageIcon::Information);
    QVERIFY(setup.isVisible());

    next->setCurrentIndex(4);
    click(&setup, "cmdOK");

    QTRY_COMPARE(m_line->framesReceived(), 3);
    QCOMPARE(m_platform->messages.size(), size_t(3));
    QCOMPARE(m_platform->messages[2].text,
             std::string("Frame Address change success... \r\nOld FrameAddress: 0\r\n"
                         "New FrameAddress: 4"));
    QVERIFY(!setup.isVisible());
}

void MaintenanceDialogsTest::edidUploadEndsInDownloadSuccess()
{
    frmEdidDownload download(m_config->settings, *m_link, 0, writeEdid("ok.bin", 128), "COM1");
    auto *status = child<QLabel>(&download, "lblStatus");
    QCOMPARE(status->text(), QStringLiteral("Transmitting EDID"));
    QVERIFY(!child<QPushButton>(&download, "cmdOK")->isEnabled());

    download.show();

    QTRY_COMPARE(status->text(), QStringLiteral("Download Success!"));
    QCOMPARE(status->palette().color(QPalette::WindowText), QColor(0, 255, 0));
    QCOMPARE(child<QLabel>(&download, "lblProgress")->text(), QStringLiteral("100%"));
    auto *bar = child<QProgressBar>(&download, "pbrEdidDownload");
    QCOMPARE(bar->value(), 128);
    QCOMPARE(bar->maximum(), 128);
    QTRY_VERIFY(!download.transfer().isRunning());
    QVERIFY(child<QPushButton>(&download, "cmdOK")->isEnabled());
    QVERIFY(child<QPushButton>(&download, "cmdCancel")->isEnabled());
    QCOMPARE(m_line->edid(0), edidBytes(128));
    QVERIFY(!m_link->CommBusy());
}

void MaintenanceDialogsTest::edidFileOf127BytesEndsInBadEdidFile()
{
    frmEdidDownload download(m_config->settings, *m_link, 0, writeEdid("short.bin", 127), "COM1");
    download.show();

    auto *status = child<QLabel>(&download, "lblStatus");
    QTRY_COMPARE(status->text(), QStringLiteral("Bad EDID file!"));
    QCOMPARE(status->palette().color(QPalette::WindowText), QColor(255, 0, 0));
    QVERIFY(child<QPushButton>(&download, "cmdCancel")->isEnabled());
    QCOMPARE(m_link->transmissions(), quint64(0));
    QVERIFY(m_platform->messages.empty());

    click(&download, "cmdCancel");
    QVERIFY(!download.isVisible());
}

void MaintenanceDialogsTest::setupDialogButtonsOpenTheirDialogs()
{
    frmConfig setup(*m_config);
    MaintenanceDialogs::Connect(setup, *m_link, m_config->settings);
    setup.show();
    click(&setup, "btnAdvanced");

    bool promptSeen = false;
    onModal("frmPassword", [&promptSeen](QWidget *prompt) {
        promptSeen = prompt->windowTitle() == QStringLiteral("Protected Area");
        click(prompt, "cmdCancel");
        return true;
    });
    click(&setup, "cmdRouterAddress");
    QVERIFY(promptSeen);

    QString finalStatus;
    onModal("frmEdidDownload", [&finalStatus](QWidget *download) {
        auto *ok = child<QPushButton>(download, "cmdOK");
        if (!ok->isEnabled())
            return false;
        finalStatus = child<QLabel>(download, "lblStatus")->text();
        click(download, "cmdOK");
        return true;
    });
    child<QLineEdit>(&setup, "txtEdidFile")->setText(writeEdid("panel.bin", 128));
    click(&setup, "cmdXmitEdid");

    QCOMPARE(finalStatus, QStringLiteral("Download Success!"));
    QCOMPARE(m_line->edid(0), edidBytes(128));
}

QTEST_MAIN(MaintenanceDialogsTest)
#include "MaintenanceDialogsTest.moc"
