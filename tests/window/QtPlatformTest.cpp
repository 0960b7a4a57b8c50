#include "ui/QtPlatform.h"

#include <QAbstractButton>
#include <QMessageBox>
#include <QtTest>

using namespace corvantis;

class QtPlatformTest : public QObject {
    Q_OBJECT

private slots:
    void filtersGetDescriptionsAndQtSeparators_data();
    void filtersGetDescriptionsAndQtSeparators();
    void messageBoxReturnsTheButtonTheOperatorChose();
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

namespace {

// Presses the button on the message box as soon as it is shown.
void answerWith(QMessageBox::StandardButton button)
{
    QTimer::singleShot(0, qApp, [button] {
        if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget()))
            box->button(button)->click();
        else
            answerWith(button);
    });
}

} // namespace

// The program acts on the answer: a Yes taken for No would skip a save the operator wanted.
void QtPlatformTest::messageBoxReturnsTheButtonTheOperatorChose()
{
    QtPlatform platform;
    answerWith(QMessageBox::Yes);
    QCOMPARE(
        platform.messageBox("Save?", "Corvantis", MessageButtons::YesNo, MessageIcon::Question),
        MessageAnswer::Yes);
    answerWith(QMessageBox::Cancel);
    QCOMPARE(platform.messageBox("Sure?", "Corvantis", MessageButtons::OkCancel,
                                 MessageIcon::Exclamation),
             MessageAnswer::Cancel);
}

QTEST_MAIN(QtPlatformTest)
#include "QtPlatformTest.moc"
