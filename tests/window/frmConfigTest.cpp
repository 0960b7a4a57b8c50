#include "ui/frmConfig.h"

#include "WindowRig.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QScrollBar>

using namespace corvantis;
using namespace corvantis::test;

// The rules of the dialog are the model's (SetupDialogModelTest); this walks the controls'
// wiring: what the dialog shows of a configuration, edits through the controls, OK, what it
// writes back.
class frmConfigTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void valuesInEditsThroughTheControlsOkValuesOut();
    void wheelOverTheScrollBarKeepsTheCountBeingTyped();

private:
    template <typename T> T *child(const QString &name) const
    {
        return control<T>(m_dialog.get(), name);
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
        if (leaveWith != Qt::Key_unknown)
            QTest::keyClick(edit, leaveWith);
    }

    WindowRig m_rig;
    Configuration m_config;
    std::unique_ptr<frmConfig> m_dialog;
};

void frmConfigTest::init()
{
    m_config = Configuration{};
    m_config.settings.CommPortName = "COM2";
    m_config.settings.RouterTimeout = 0.5f;
    m_config.settings.CommandGap = 0.1f;
    m_config.settings.CommType = 1;
    for (int slot = 0; slot < 8; ++slot)
        m_config.routers.set(slot, makeRouter({slot, 6, 8, 8, slot * 8}));
    m_config.routers.at(1)->SetRouterType(12);
    m_dialog = std::make_unique<frmConfig>(m_config);
    m_dialog->show();
    QVERIFY(QTest::qWaitForWindowActive(m_dialog.get()));
}

void frmConfigTest::cleanup()
{
    m_dialog.reset();
    QVERIFY(m_rig.platform.unexpected.empty());
    m_rig.platform.clear();
}

void frmConfigTest::valuesInEditsThroughTheControlsOkValuesOut()
{
    QCOMPARE(child<QComboBox>("cboRouterCount")->currentText(), QStringLiteral("8"));
    QCOMPARE(child<QComboBox>("cboCom")->currentText(), QStringLiteral("COM2"));
    QCOMPARE(child<QLineEdit>("txtTimeout")->text(), QStringLiteral("0.5"));
    QCOMPARE(child<QLineEdit>("txtGap")->text(), QStringLiteral("0.1"));
    QCOMPARE(child<QComboBox>("cboRouter_1")->currentText(), QStringLiteral("Orla 32x32"));

    choose("cboRouter_0", 3);
    QCOMPARE(child<QComboBox>("cboCommType")->currentText(), QStringLiteral("Type A"));
    choose("cboRouter_0", 5);
    QCOMPARE(child<QLineEdit>("txtMOutput_1")->text(), QStringLiteral("5"));
    typeInto("txtInputs_0", "0"); // refused, and the box shows the kept count again
    QCOMPARE(m_rig.platform.messageTexts(), std::vector<std::string>{"Input count out of range"});
    QCOMPARE(child<QLineEdit>("txtInputs_0")->text(), QStringLiteral("4"));
    choose("cboRouterCount", 2);
    QVERIFY(!child<QComboBox>("cboRouter_3")->isVisible());
    typeInto("txtTimeout", "1.5");
    typeInto("txtGap", "0.05");
    // Enter in a count box applies the count before OK.
    typeInto("txtOutputs_2", "2", Qt::Key_Return);
    QCOMPARE(m_dialog->result(), int(QDialog::Accepted));

    m_dialog->writeResults(m_config);
    QCOMPARE(m_config.settings.RouterTimeout, 1.5f);
    QCOMPARE(m_config.settings.CommandGap, 0.05f);
    QCOMPARE(m_config.settings.CommType, std::int16_t(1));
    QCOMPARE(m_config.routers.MaxRouter(), 2);
    QCOMPARE(m_config.routers.at(0)->RouterType(), std::int16_t(5));
    QCOMPARE(m_config.routers.at(0)->InputCount(), std::int16_t(3));
    QCOMPARE(m_config.routers.at(1)->mapOut(), std::int16_t(4));
    QCOMPARE(m_config.routers.at(2)->OutputCount(), std::int16_t(1));
}

// A row shows the router scrolled into it; a box being typed in belongs to the router that was
// in its row when the typing ended.
void frmConfigTest::wheelOverTheScrollBarKeepsTheCountBeingTyped()
{
    typeInto("txtInputs_0", "8", Qt::Key_unknown);
    auto *bar = child<QScrollBar>("VScroll");
    QWheelEvent wheel(QPointF(4, 4), bar->mapToGlobal(QPointF(4, 4)), {}, QPoint(0, -120),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(bar, &wheel);
    const int top = bar->value();
    QVERIFY(top > 0 && child<QLineEdit>("txtInputs_0")->hasFocus());
    QCOMPARE(m_dialog->model().DialogRouter(0)->InputCount(), 7);
    QCOMPARE(child<QLabel>("lblFA_0")->text(), QStringLiteral("0%1").arg(top));
    typeInto("txtInputs_0", "5");
    QCOMPARE(m_dialog->model().DialogRouter(top)->InputCount(), 4);
}

QTEST_MAIN(frmConfigTest)
#include "frmConfigTest.moc"
