#include "ui/frmAbout.h"

#include "support/ScriptedPlatform.h"

#include <QLabel>
#include <QPushButton>
#include <QtTest>

using namespace corvantis;

class frmAboutTest : public QObject {
    Q_OBJECT

private slots:
    void showsTheVersionAndAClickOnTextCloses_data();
    void showsTheVersionAndAClickOnTextCloses();
    void linksGoToTheDesktopAndTheBoxStaysOpen();
};

void frmAboutTest::showsTheVersionAndAClickOnTextCloses_data()
{
    QTest::addColumn<QString>("control");
    QTest::newRow("OK") << "btnOK";
    QTest::newRow("window") << "frmAbout";
    QTest::newRow("version") << "lblVersion";
}

void frmAboutTest::showsTheVersionAndAClickOnTextCloses()
{
    QFETCH(QString, control);
    test::ScriptedPlatform platform;
    frmAbout about;
    about.show();
    QVERIFY(QTest::qWaitForWindowExposed(&about));
    QCOMPARE(about.findChild<QLabel *>("lblVersion")->text(), QStringLiteral("Version: 1.2.0"));
    auto *target =
        control == QLatin1String("frmAbout") ? &about : about.findChild<QWidget *>(control);
    QTest::mouseClick(target, Qt::LeftButton, {}, target->rect().center());
    QVERIFY(!about.isVisible());
    QCOMPARE(about.result(), int(QDialog::Accepted));
    QVERIFY(platform.openedDocuments.empty());
}

void frmAboutTest::linksGoToTheDesktopAndTheBoxStaysOpen()
{
    test::ScriptedPlatform platform;
    frmAbout about;
    about.show();
    QVERIFY(QTest::qWaitForWindowExposed(&about));
    auto *home = about.findChild<QLabel *>("lblHome");
    QTest::mouseClick(about.findChild<QLabel *>("lblMail"), Qt::LeftButton);
    QTest::mouseClick(home, Qt::LeftButton);
    home->setFocus();
    QTest::keyClick(home, Qt::Key_Space);
    QCOMPARE(platform.openedDocuments,
             (std::vector<std::string>{"mailto:support@corvantis.invalid",
                                       "https://www.corvantis.invalid/",
                                       "https://www.corvantis.invalid/"}));
    QVERIFY(about.isVisible());
}

QTEST_MAIN(frmAboutTest)
#include "frmAboutTest.moc"
