#include "ui/frmAbout.h"

#include "support/ScriptedPlatform.h"

#include <QLabel>
#include <QPushButton>
#include <QtTest>

using namespace corvantis;

class frmAboutTest : public QObject {
    Q_OBJECT

private slots:
    void showsTheVersionOpensLinksAndAClickOnTextCloses_data();
    void showsTheVersionOpensLinksAndAClickOnTextCloses();
};

void frmAboutTest::showsTheVersionOpensLinksAndAClickOnTextCloses_data()
{
    QTest::addColumn<QString>("control");
    QTest::newRow("OK") << "btnOK";
    QTest::newRow("version") << "lblVersion";
}

void frmAboutTest::showsTheVersionOpensLinksAndAClickOnTextCloses()
{
    QFETCH(QString, control);
    test::ScriptedPlatform platform;
    frmAbout about;
    about.show();
    QVERIFY(QTest::qWaitForWindowExposed(&about));
    QCOMPARE(about.findChild<QLabel *>("lblVersion")->text(), QStringLiteral("Version: 1.2.0"));
    // The links go to the desktop and leave the box open.
    QTest::mouseClick(about.findChild<QLabel *>("lblMail"), Qt::LeftButton);
    QCOMPARE(platform.openedDocuments,
             std::vector<std::string>{"mailto:support@corvantis.invalid"});
    QVERIFY(about.isVisible());
    auto *target = about.findChild<QWidget *>(control);
    QTest::mouseClick(target, Qt::LeftButton, {}, target->rect().center());
    QVERIFY(!about.isVisible());
    QCOMPARE(about.result(), int(QDialog::Accepted));
}

QTEST_MAIN(frmAboutTest)
#include "frmAboutTest.moc"
