#include "ui/QtPlatform.h"

#include <QtTest>

using namespace corvantis;

class QtPlatformTest : public QObject {
    Q_OBJECT

private slots:
    void filtersGetDescriptionsAndQtSeparators_data();
    void filtersGetDescriptionsAndQtSeparators();
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

QTEST_MAIN(QtPlatformTest)
#include "QtPlatformTest.moc"
