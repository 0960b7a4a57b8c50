#include "ui/MaintenanceDialogs.h"

#include "WindowRig.h"
#include "ui/frmConfig.h"
#include "ui/frmEdidDownload.h"
#include "ui/frmInternalSetup.h"
#include "ui/frmPassword.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>

using namespace corvantis;
using namespace std::chrono_literals;

// The dialogs open as actions of the core, which owns the configuration and the link; no main
// window is made.
class MaintenanceDialogsTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void onlyTheExactPasswordOpensInternalSetup();
    void applyPressedTwiceSendsTwoCommandsAndOkOneMore();
    void edidUploadFromTheSetupDialogEndsInDownloadSuccess();

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
    static QByteArray edidBytes(int size);

    std::unique_ptr<test::WindowRig> m_rig;
    test::ScriptedPlatform *m_platform = nullptr;
    VirtualRouterLine *m_line = nullptr;
    Configuration *m_config = nullptr;
    SerialLink *m_link = nullptr;
    std::unique_ptr<QTimer> m_modalWatch;
};

void MaintenanceDialogsTest::init()
{
    m_rig = std::make_unique<test::WindowRig>();
    m_platform = &m_rig->platform;
    m_line = &m_rig->line;
    // Replies come at once; only a missing one would feel the time-out.
    test::LineSpec spec;
    spec.routerTimeout = 0.5f;
    m_rig->openLine(spec);
    m_rig->core = std::make_unique<AppCore>();
    m_config = &m_rig->core->config();
    m_link = &m_rig->core->link();
    m_config->settings.CommPortName = "COM1";
    m_config->settings.RouterTimeout = spec.routerTimeout;
    m_config->settings.CommType = kTypeB;
    m_config->settings.CurrentRouterType = 7;
    m_config->routers.set(0, test::makeRouter({}));
    m_link->setTimings({.closing = 0ms});
}

void MaintenanceDialogsTest::cleanup()
{
    m_modalWatch.reset();
    const auto unexpected = m_platform->unexpected;
    m_rig.reset();
    QVERIFY2(unexpected.empty(), unexpected.empty() ? "" : unexpected.front().c_str());
}

void MaintenanceDialogsTest::onModal(const QString &name, std::function<bool(QWidget *)> step)
{
    m_modalWatch = std::make_unique<QTimer>();
    QTimer *watch = m_modalWatch.get();
    connect(watch, &QTimer::timeout, watch, [watch, name, step] {
        QWidget *modal = QApplication::activeModalWidget();
        if (modal && modal->objectName() == name && step(modal))
            watch->stop();
    });
    watch->start(5);
}

QByteArray MaintenanceDialogsTest::edidBytes(int size)
{
    QByteArray bytes;
    while (bytes.size() < size)
        bytes += static_cast<char>(bytes.size() * 3);
    return bytes;
}

void MaintenanceDialogsTest::onlyTheExactPasswordOpensInternalSetup()
{
    frmPassword prompt(m_config->settings, *m_link);
    prompt.show();
    auto *box = child<QLineEdit>(&prompt, "txtPassword");
    for (const char *typed : {"Velto", "velto "}) {
        QTest::keyClicks(box, typed);
        m_platform->answers.push_back(MessageAnswer::Ok);
        click(&prompt, "cmdOK");
        QVERIFY(box->text().isEmpty());
    }
    QCOMPARE(m_platform->messageTexts(),
             (std::vector<std::string>{"Incorrect Password!", "Incorrect Password!"}));
    QVERIFY(prompt.isVisible());

    QTest::keyClicks(box, "velto");
    QStringList seen;
    onModal("frmInternalSetup", [&seen](QWidget *setup) {
        seen << setup->windowTitle()
             << child<QComboBox>(setup, "cboCurFrameAddress")->currentText();
        click(setup, "cmdCancel");
        return true;
    });
    click(&prompt, "cmdOK");
    QCOMPARE(seen, (QStringList{"Internal Setup", "0"}));
    QVERIFY(!prompt.isVisible());
    QCOMPARE(m_link->transmissions(), quint64(0));
}

void MaintenanceDialogsTest::applyPressedTwiceSendsTwoCommandsAndOkOneMore()
{
    frmInternalSetup setup(m_config->settings, *m_link);
    setup.show();
    QCOMPARE(child<QComboBox>(&setup, "cboNewFrameAddress")->count(), 16);

    click(&setup, "cmdApply");
    click(&setup, "cmdApply");

    const QByteArray unchanged = QByteArray::fromStdString(BuildFrame(kTypeB, 0, 14, 0, 0));
    QTRY_COMPARE(m_line->framesReceived(), 2);
    QCOMPARE(m_line->receivedFrames(), (QList<QByteArray>{unchanged, unchanged}));
    QCOMPARE(m_platform->messages.size(), size_t(2));
    QVERIFY(setup.isVisible());

    child<QComboBox>(&setup, "cboNewFrameAddress")->setCurrentIndex(4);
    click(&setup, "cmdOK");

    QTRY_COMPARE(m_line->framesReceived(), 3);
    QCOMPARE(m_line->receivedFrames().back(),
             QByteArray::fromStdString(BuildFrame(kTypeB, 0, 14, 4, 0)));
    QVERIFY(!setup.isVisible());
}

void MaintenanceDialogsTest::edidUploadFromTheSetupDialogEndsInDownloadSuccess()
{
    frmConfig setup(*m_config);
    MaintenanceDialogs::Connect(setup, *m_rig->core);
    setup.show();
    click(&setup, "btnAdvanced");
    const QString path = m_rig->dataDir.filePath(QStringLiteral("panel.bin"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(edidBytes(128)) == 128);
    file.close();
    child<QLineEdit>(&setup, "txtEdidFile")->setText(path);
    QStringList shown;
    onModal("frmEdidDownload", [&shown](QWidget *download) {
        auto *status = child<QLabel>(download, "lblStatus");
        const bool done = !qobject_cast<frmEdidDownload *>(download)->transfer().isRunning() &&
                          !status->text().endsWith(QStringLiteral(" EDID"));
        if (!done)
            return false;
        shown << status->text() << child<QLabel>(download, "lblProgress")->text()
              << QString::number(child<QProgressBar>(download, "pbrEdidDownload")->value())
              << status->palette().color(QPalette::WindowText).name();
        const bool okEnabled = child<QPushButton>(download, "cmdOK")->isEnabled();
        click(download, okEnabled ? "cmdOK" : "cmdCancel");
        return true;
    });

    click(&setup, "cmdXmitEdid");

    QCOMPARE(shown, (QStringList{"Download Success!", "100%", "128", "#00ff00"}));
    QCOMPARE(m_line->edid(0), edidBytes(128));
    QVERIFY(!m_link->CommBusy());
}

QTEST_MAIN(MaintenanceDialogsTest)
#include "MaintenanceDialogsTest.moc"
