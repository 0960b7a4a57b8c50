#include "ui/frmConfig.h"

#include "config/ConfigFile.h"
#include "support/ScriptedPlatform.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

using namespace corvantis;

// The rules of the dialog are the model's; this walks the controls' wiring once: what the
// dialog shows of a configuration, edits through the controls, OK, what it writes back.
class frmConfigTest : public QObject {
    Q_OBJECT

private slots:
    void valuesInEditsThroughTheControlsOkValuesOut();
    void wheelOverTheScrollBarKeepsTheCountBeingTyped();

private:
    template <typename T> T *child(const QString &name) const
    {
        auto *widget = m_dialog->findChild<T *>(name);
        if (!widget)
            qFatal("no control %s", qPrintable(name));
        return widget;
    }
    void choose(const QString &list, int index)
    {
        auto *combo = child<QComboBox>(list);
        combo->setFocus(Qt::MouseFocusReason);
        combo->setCurrentIndex(index);
        emit combo->activated(index);
    }
    // As the operator does it: click into the box, replace its text, leave it with the key.
    void typeInto(const QString &box, const QString &text, Qt::Key leaveWith = Qt::Key_Tab)
    {
        auto *edit = child<QLineEdit>(box);
        edit->setFocus(Qt::MouseFocusReason);
        edit->selectAll();
        QTest::keyClicks(edit, text);
        QTest::keyClick(edit, leaveWith);
    }

    // Routers of 8 x 8 one after another, all of one model.
    static void addEightPortRouters(Configuration &config, int count)
    {
        for (int slot = 0; slot < count; ++slot) {
            auto router = std::make_unique<clsRouter>();
            router->SetFrameAddress(slot);
            router->SetRouterType(6);
            router->SetInputCount(7);
            router->SetOutputCount(7);
            router->SetMapOut(slot * 8);
            config.routers.set(slot, std::move(router));
        }
    }

    std::unique_ptr<frmConfig> m_dialog;
};

void frmConfigTest::valuesInEditsThroughTheControlsOkValuesOut()
{
    test::ScriptedPlatform platform;
    QTemporaryDir dataDir;
    platform.dataFolder = dataDir.path().toStdString();
    Configuration config;
    config.settings.CommPortName = "COM2";
    config.settings.RouterTimeout = 0.5f;
    config.settings.CommType = 1;
    addEightPortRouters(config, 5);
    config.routers.at(1)->SetRouterType(12);
    m_dialog = std::make_unique<frmConfig>(config);
    m_dialog->show();
    QVERIFY(QTest::qWaitForWindowActive(m_dialog.get()));
    QCOMPARE(child<QComboBox>("cboRouterCount")->currentText(), QStringLiteral("5"));
    QCOMPARE(child<QComboBox>("cboCom")->currentText(), QStringLiteral("COM2"));
    QCOMPARE(child<QComboBox>("cboCommType")->currentText(), QStringLiteral("Type B"));
    QCOMPARE(child<QLineEdit>("txtTimeout")->text(), QStringLiteral("0.5"));
    QCOMPARE(child<QComboBox>("cboRouter_1")->currentText(), QStringLiteral("Orla 32x32"));
    QCOMPARE(child<QLineEdit>("txtInputs_1")->text(), QStringLiteral("8"));
    QCOMPARE(child<QLabel>("lblFA_1")->text(), QStringLiteral("01"));

    // A row shows the router scrolled into it: router 4 sits in row 3 at the end.
    auto *bar = child<QScrollBar>("VScroll");
    QCOMPARE(bar->maximum(), 1);
    bar->setValue(1);
    QCOMPARE(child<QLabel>("lblFA_3")->text(), QStringLiteral("04"));
    typeInto("txtInputs_3", "4");
    QCOMPARE(m_dialog->model().DialogRouter(4)->InputCount(), std::int16_t(3));
    QCOMPARE(m_dialog->model().DialogRouter(3)->InputCount(), std::int16_t(7));
    bar->setValue(0);

    QSignalSpy labels(m_dialog.get(), &frmConfig::familyLabelChanged);
    choose("cboRouter_0", 3);
    QCOMPARE(labels.count(), 1);
    QCOMPARE(labels.at(0).at(0).toString(), QStringLiteral("Palomir"));
    QCOMPARE(child<QComboBox>("cboCommType")->currentText(), QStringLiteral("Type A"));
    choose("cboRouter_0", 5);
    QCOMPARE(child<QLineEdit>("txtMOutput_1")->text(), QStringLiteral("5"));
    typeInto("txtInputs_0", "0"); // refused, and the box shows the kept count again
    QCOMPARE(platform.messageTexts(), std::vector<std::string>{"Input count out of range"});
    QCOMPARE(child<QLineEdit>("txtInputs_0")->text(), QStringLiteral("4"));
    choose("cboRouterCount", 2);
    QVERIFY(!child<QComboBox>("cboRouter_3")->isVisible());
    typeInto("txtTimeout", "1.5");
    // Enter in a count box applies the count before OK.
    typeInto("txtOutputs_2", "2", Qt::Key_Return);
    QCOMPARE(m_dialog->result(), int(QDialog::Accepted));

    m_dialog->writeResults(config);
    QVERIFY(config.settings.ConfigLoaded);
    QCOMPARE(config.settings.RouterTimeout, 1.5f);
    QCOMPARE(config.settings.CommType, std::int16_t(1));
    QCOMPARE(config.routers.MaxRouter(), 2);
    QCOMPARE(config.routers.at(0)->RouterType(), std::int16_t(5));
    QCOMPARE(config.routers.at(0)->InputCount(), std::int16_t(3));
    QCOMPARE(config.routers.at(1)->mapOut(), std::int16_t(4));
    QCOMPARE(config.routers.at(2)->OutputCount(), std::int16_t(1));
    QVERIFY(platform.unexpected.empty());
    m_dialog.reset();
}

void frmConfigTest::wheelOverTheScrollBarKeepsTheCountBeingTyped()
{
    test::ScriptedPlatform platform;
    QTemporaryDir dataDir;
    platform.dataFolder = dataDir.path().toStdString();
    Configuration config;
    config.settings.CommPortName = "COM1";
    addEightPortRouters(config, 8);
    m_dialog = std::make_unique<frmConfig>(config);
    m_dialog->show();
    QVERIFY(QTest::qWaitForWindowActive(m_dialog.get()));
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
    m_dialog.reset();
}

QTEST_MAIN(frmConfigTest)
#include "frmConfigTest.moc"
