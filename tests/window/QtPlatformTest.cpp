#include "ui/QtPlatform.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QPointer>
#include <QTimer>
#include <QtTest>

using namespace corvantis;

class QtPlatformTest : public QObject {
    Q_OBJECT

private slots:
    void filtersGetDescriptionsAndQtSeparators_data();
    void filtersGetDescriptionsAndQtSeparators();
    void linksOpenAsLinksAndEverythingElseAsLocalFiles();
    void messageBoxShowsTitleIconAndButtonsAndReturnsTheAnswer();
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
    QCOMPARE(file.toLocalFile(), QStringLiteral("/tmp/read me#1.txt"));
    QVERIFY(QtPlatform::documentUrl("C:\\Data\\notes.txt").isLocalFile());
}

void QtPlatformTest::messageBoxShowsTitleIconAndButtonsAndReturnsTheAnswer()
{
    QtPlatform platform;
    QPointer<QMessageBox> seen;
    QTimer watch;
    connect(&watch, &QTimer::timeout, &watch, [&] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box || box == seen)
            return;
        seen = box;
        QCOMPARE(box->windowTitle(), QStringLiteral("Corvantis"));
        if (box->icon() == QMessageBox::Question) {
            QCOMPARE(box->standardButtons(), QMessageBox::Yes | QMessageBox::No);
            box->button(QMessageBox::Yes)->click();
        } else {
            QTest::keyClick(box, Qt::Key_Escape);
        }
    });
    watch.start(5);
    QCOMPARE(platform.messageBox("Save the changes?", "Corvantis", MessageButtons::YesNo,
                                 MessageIcon::Question),
             MessageAnswer::Yes);
    QCOMPARE(platform.messageBox("Sure?", "Corvantis", MessageButtons::OkCancel,
                                 MessageIcon::Exclamation),
             MessageAnswer::Cancel);
}

QTEST_MAIN(QtPlatformTest)
#include "QtPlatformTest.moc"
