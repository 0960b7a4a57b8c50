#include "ui/MaintenanceDialogs.h"

#include "WindowRig.h"
#include "ui/frmConfig.h"
#include "ui/frmEdidDownload.h"
#include "ui/frmInternalSetup.h"
#include "ui/frmPassword.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

using namespace corvantis;
using namespace corvantis::test;
using namespace std::chrono_literals;

namespace {

void click(QWidget *window, const QString &button)
{
    QTest::mouseClick(control<QPushButton>(window, button), Qt::LeftButton);
}

} // namespace

// The dialogs send as actions of the core, which owns the configuration and the link; no main
// window is made. The frames and the transfer are the link tests'.
class MaintenanceDialogsTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup() { WindowRig::release(m_rig); }

    void onlyTheExactPasswordOpensInternalSetupWhoseButtonsSend();
    void edidUploadFromTheSetupDialogEndsInDownloadSuccess();

private:
    std::unique_ptr<WindowRig> m_rig;
    Configuration *m_config = nullptr;
    SerialLink *m_link = nullptr;
};

void MaintenanceDialogsTest::init()
{
    m_rig = std::make_unique<WindowRig>();
    m_rig->openLine({});
    m_rig->core = std::make_unique<AppCore>();
    m_config = &m_rig->core->config();
    m_link = &m_rig->core->link();
    m_config->settings.CommPortName = "COM1";
    m_config->settings.CommType = kTypeB;
    m_config->settings.CurrentRouterType = 7;
    m_config->routers.set(0, makeRouter({}));
    m_config->settings.CommandGap = 0;
}

// Apply sends the change each time and keeps the dialog open; OK sends once more.
void MaintenanceDialogsTest::onlyTheExactPasswordOpensInternalSetupWhoseButtonsSend()
{
    frmPassword prompt(*m_rig->core);
    prompt.show();
    auto *box = control<QLineEdit>(&prompt, "txtPassword");
    for (const char *typed : {"Velto", "velto "}) {
        QTest::keyClicks(box, typed);
        m_rig->platform.answers.push_back(MessageAnswer::Ok);
        click(&prompt, "cmdOK");
        QVERIFY(box->text().isEmpty());
    }
    QCOMPARE(m_rig->platform.messageTexts(),
             (std::vector<std::string>{"Incorrect Password!", "Incorrect Password!"}));
    QVERIFY(prompt.isVisible());
    QCOMPARE(m_link->transmissions(), quint64(0));

    QTest::keyClicks(box, "velto");
    VirtualRouterLine &line = m_rig->line;
    const QByteArray unchanged = WindowRig::frame(kTypeB, 0, 14, 0, 0);
    QString address;
    m_rig->onModal("frmInternalSetup", [&](QWidget *setup) {
        address = control<QComboBox>(setup, "cboCurFrameAddress")->currentText();
        // A click while the router has not answered sends nothing more.
        const auto applyAnswered = [setup] {
            return QTest::qWaitFor(
                [setup] { return control<QPushButton>(setup, "cmdApply")->isEnabled(); });
        };
        click(setup, "cmdApply");
        click(setup, "cmdApply");
        address += applyAnswered() ? "" : " no answer";
        click(setup, "cmdApply");
        address += applyAnswered() && line.framesReceived() == 2 ? "" : " no reply";
        control<QComboBox>(setup, "cboNewFrameAddress")->setCurrentIndex(4);
        click(setup, "cmdOK");
        return true;
    });
    click(&prompt, "cmdOK");
    QVERIFY(!prompt.isVisible());
    QCOMPARE(address, QString("0"));
    QTRY_COMPARE(line.receivedFrames(),
                 (QList<QByteArray>{unchanged, unchanged, WindowRig::frame(kTypeB, 0, 14, 4, 0)}));
    QCOMPARE(m_rig->platform.messages.size(), size_t(5));
}

void MaintenanceDialogsTest::edidUploadFromTheSetupDialogEndsInDownloadSuccess()
{
    frmConfig setup(*m_config);
    MaintenanceDialogs::Connect(setup, *m_rig->core);
    setup.show();
    click(&setup, "btnAdvanced");
    const QByteArray edid(128, '\x5A');
    const QString path = m_rig->dataDir.filePath(QStringLiteral("panel.bin"));
    QVERIFY(WindowRig::writeFile(path, edid));
    control<QLineEdit>(&setup, "txtEdidFile")->setText(path);
    QStringList shown;
    m_rig->onModal("frmEdidDownload", [&shown](QWidget *download) {
        auto *status = control<QLabel>(download, "lblStatus");
        if (qobject_cast<frmEdidDownload *>(download)->transfer().isRunning() ||
            status->text().endsWith(QStringLiteral(" EDID")))
            return false;
        shown << status->text()
              << (control<QPushButton>(download, "cmdOK")->isEnabled() ? "OK" : "no OK");
        qobject_cast<QDialog *>(download)->reject();
        return true;
    });

    click(&setup, "cmdXmitEdid");
    QCOMPARE(shown, (QStringList{"Download Success!", "OK"}));
    QCOMPARE(m_rig->line.edid(0), edid);
}

QTEST_MAIN(MaintenanceDialogsTest)
#include "MaintenanceDialogsTest.moc"
