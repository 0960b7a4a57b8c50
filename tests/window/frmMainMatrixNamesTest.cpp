#include "WindowRig.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QScrollBar>

using namespace corvantis;
using namespace corvantis::test;

class frmMainMatrixNamesTest : public QObject {
    Q_OBJECT

private slots:
    void numbersFollowTheOffsets();
    void typedDuplicatesGetOneMoreExclamationMarkEachTime();
    void eachRouterKeepsItsOwnNamesAndARowWithoutRouterStoresNothing();
    void saveAndScrollCommitTheBoxBeingEdited();

private:
    static void typeInto(QLineEdit *box, const QString &text);
    static void leave(WindowRig &rig);
};

void frmMainMatrixNamesTest::typeInto(QLineEdit *box, const QString &text)
{
    box->setFocus();
    QTRY_VERIFY(box->hasFocus());
    box->selectAll();
    QTest::keyClicks(box, text);
}

// Focus moves to the grid, so the box being edited loses it.
void frmMainMatrixNamesTest::leave(WindowRig &rig)
{
    rig.grid().setFocus();
    QTRY_VERIFY(rig.grid().hasFocus());
}

void frmMainMatrixNamesTest::numbersFollowTheOffsets()
{
    WindowRig rig;
    LineSpec spec;
    spec.routers = {RouterSpec{0, 7, 40, 40}};
    rig.startWithFile(spec);
    rig.child<QScrollBar>("VScroll")->setValue(16);
    rig.child<QScrollBar>("HScroll")->setValue(3);
    for (int i = 0; i < 16; ++i) {
        QCOMPARE(rig.child<QLabel>(QString("txtMIn_%1").arg(i))->text(), QString::number(17 + i));
        QCOMPARE(rig.child<QLabel>(QString("lblMOut_%1").arg(i))->text(), QString::number(4 + i));
        QCOMPARE(rig.child<QLabel>(QString("txtSOut_%1").arg(i))->text(), QString::number(4 + i));
    }
    QCOMPARE(rig.child<QLineEdit>("txtIn_0")->text(), QString("In 17"));
    QCOMPARE(rig.child<QLineEdit>("txtOut_0")->text(), QString("Out 04"));
}

void frmMainMatrixNamesTest::typedDuplicatesGetOneMoreExclamationMarkEachTime()
{
    WindowRig rig;
    rig.startWithFile(LineSpec{});
    clsRouter &router = *rig.core->config().routers.at(0);
    const QString third = rig.child<QLineEdit>("txtIn_2")->text();

    auto *fifth = rig.child<QLineEdit>("txtIn_4");
    typeInto(fifth, third);
    leave(rig);
    QCOMPARE(fifth->text(), third + "!");
    QCOMPARE(QString::fromStdString(router.RouterInName(4)), third + "!");

    auto *eighth = rig.child<QLineEdit>("txtIn_7");
    typeInto(eighth, third);
    leave(rig);
    QCOMPARE(eighth->text(), third + "!!");
    QCOMPARE(QString::fromStdString(router.RouterInName(7)), third + "!!");
    QCOMPARE(QString::fromStdString(router.RouterInName(2)), third);

    // Typing a box's own name again changes nothing.
    typeInto(fifth, third + "!");
    leave(rig);
    QCOMPARE(QString::fromStdString(router.RouterInName(4)), third + "!");
}

void frmMainMatrixNamesTest::eachRouterKeepsItsOwnNamesAndARowWithoutRouterStoresNothing()
{
    WindowRig rig;
    LineSpec spec;
    // Logical inputs 9 to 12 belong to nobody.
    spec.routers = {RouterSpec{0, 6, 8, 8, 0, 0}, RouterSpec{1, 5, 4, 4, 12, 8}};
    rig.startWithFile(spec);
    const RouterTable &routers = rig.core->config().routers;
    typeInto(rig.child<QLineEdit>("txtIn_1"), "Camera");
    leave(rig);
    typeInto(rig.child<QLineEdit>("txtIn_13"), "Camera");
    leave(rig);
    QCOMPARE(routers.at(1)->RouterInName(1), std::string("Camera"));
    auto *box = rig.child<QLineEdit>("txtIn_3");
    typeInto(box, "x");
    QTest::keyClick(box, Qt::Key_Backspace);
    leave(rig);
    QCOMPARE(routers.at(0)->RouterInName(3), std::string());

    box = rig.child<QLineEdit>("txtIn_9");
    QCOMPARE(box->text(), QString("-"));
    const std::string before = ConfigText(rig.core->config());
    typeInto(box, "Nobody's");
    leave(rig);
    QCOMPARE(ConfigText(rig.core->config()), before);

    // A refused name: one message, also while the message box takes the focus.
    rig.platform.clear();
    typeInto(rig.child<QLineEdit>("txtIn_6"), "A;B");
    leave(rig);
    QCOMPARE(rig.platform.messageTexts(),
             std::vector<std::string>{"Invalid input name: cannot have semicolons (;)"});
    QCOMPARE(routers.at(0)->RouterInName(6), std::string("In 07"));
}

void frmMainMatrixNamesTest::saveAndScrollCommitTheBoxBeingEdited()
{
    WindowRig rig;
    LineSpec spec;
    spec.routers = {RouterSpec{0, 7, 24, 16}};
    rig.startWithFile(spec);
    typeInto(rig.child<QLineEdit>("txtIn_1"), "Presenter");
    rig.window->findChild<QAction *>("mnuSaveConfig")->trigger();
    QFile saved(QString::fromStdString(rig.core->settings().ConfigFilePath));
    QVERIFY(saved.open(QIODevice::ReadOnly));
    QVERIFY(saved.readAll().contains("Presenter"));

    // A typed name goes to the input it was typed for, not to the one scrolled into the box.
    typeInto(rig.child<QLineEdit>("txtIn_2"), "Guest");
    rig.child<QScrollBar>("VScroll")->setValue(4);
    QCOMPARE(rig.core->config().routers.at(0)->RouterInName(2), std::string("Guest"));
    QCOMPARE(rig.child<QLineEdit>("txtIn_2")->text(), QString("In 07"));
    leave(rig);
    QCOMPARE(rig.core->config().routers.at(0)->RouterInName(6), std::string("In 07"));
}

QTEST_MAIN(frmMainMatrixNamesTest)
#include "frmMainMatrixNamesTest.moc"
