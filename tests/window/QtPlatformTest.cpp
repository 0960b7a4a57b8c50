#include "ui/QtPlatform.h"

#include <QAbstractButton>
#include <QApplication>
#include <QInputDialog>
#include <QMessageBox>
#include <QTimer>
#include <QtTest>
#include <functional>

using namespace corvantis;

class QtPlatformTest : public QObject {
    Q_OBJECT

private slots:
    void filtersGetDescriptionsAndQtSeparators_data();
    void filtersGetDescriptionsAndQtSeparators();
    void linksOpenAsLinksAndEverythingElseAsLocalFiles();
    void messageBoxShowsTitleIconAndButtonsAndReturnsTheAnswer();

private:
    // Runs `answer` on the modal window as soon as it is shown.
    static void whenModalShown(std::function<void(QWidget *)> answer)
    {
        QTimer::singleShot(0, qApp, [answer] {
            QWidget *modal = QApplication::activeModalWidget();
            if (!modal) {
                whenModalShown(answer);
                return;
            }
            answer(modal);
        });
    }
};

void QtPlatformTest::filtersGetDescriptionsAndQtSeparators_data()
{
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QString>("expected");
    QTest::newRow("configuration pattern") << "*.rcf"
                                           << "Configuration files (*.rcf)";
    QTest::newRow("empty") << ""
                           << "All files (*)";
    QTest::newRow("pairs") << "Text:*.txt:All Files:*.*"
                           << "Text (*.txt);;All Files (*)";
    QTest::newRow("several patterns") << "Pictures:*.png;*.bmp"
                                      << "Pictures (*.png *.bmp)";
}

void QtPlatformTest::filtersGetDescriptionsAndQtSeparators()
{
    QFETCH(QString, filter);
    QFETCH(QString, expected);
    QCOMPARE(QtPlatform::qtFilter(filter.toStdString()), expected);
}

void QtPlatformTest::linksOpenAsLinksAndEverythingElseAsLocalFiles()
{
    QCOMPARE(QtPlatform::documentUrl("mailto:support@example.com").scheme(),
             QStringLiteral("mailto"));
    QCOMPARE(QtPlatform::documentUrl("www.example.com").toString(),
             QStringLiteral("http://www.example.com"));
    const QUrl file = QtPlatform::documentUrl("/tmp/read me#1.txt");
    QVERIFY(file.isLocalFile());
    QCOMPARE(file.toLocalFile(), QStringLiteral("/tmp/read me#1.txt"));
    QVERIFY(QtPlatform::documentUrl("C:\\Data\\notes.txt").isLocalFile());
}

void QtPlatformTest::messageBoxShowsTitleIconAndButtonsAndReturnsTheAnswer()
{
    QtPlatform platform;
    QString seenTitle;
    QMessageBox::Icon seenIcon = QMessageBox::NoIcon;
    whenModalShown([&](QWidget *modal) {
        auto *box = qobject_cast<QMessageBox *>(modal);
        QVERIFY(box);
        seenTitle = box->windowTitle();
        seenIcon = box->icon();
        QCOMPARE(box->standardButtons(), QMessageBox::Yes | QMessageBox::No);
        box->button(QMessageBox::Yes)->click();
    });
    QCOMPARE(platform.messageBox("Save the changes?", "Corvantis", MessageButtons::YesNo,
                                 MessageIcon::Question),
             MessageAnswer::Yes);
    QCOMPARE(seenTitle, QStringLiteral("Corvantis"));
    QCOMPARE(seenIcon, QMessageBox::Question);

    whenModalShown([](QWidget *modal) { QTest::keyClick(modal, Qt::Key_Escape); });
    QCOMPARE(platform.messageBox("Sure?", "Corvantis", MessageButtons::OkCancel,
                                 MessageIcon::Exclamation),
             MessageAnswer::Cancel);
}

QTEST_MAIN(QtPlatformTest)
#include "QtPlatformTest.moc"
