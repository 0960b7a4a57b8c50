#include "ui/QtPlatform.h"

#include <QtTest>

using namespace corvantis;

class QtPlatformTest : public QObject {
    Q_OBJECT

private slots:
    void filtersGetDescriptionsAndQtSeparators_data();
    void filtersGetDescriptionsAndQtSeparators();
    void linksOpenAsLinksAndEverythingElseAsLocalFiles();
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

QTEST_MAIN(QtPlatformTest)
#include "QtPlatformTest.moc"
