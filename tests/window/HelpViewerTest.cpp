#include "ui/HelpViewer.h"

#include "support/ScriptedPlatform.h"

#include <QDir>
#include <QListWidget>
#include <QTemporaryDir>
#include <QTextBrowser>
#include <QtTest>

using namespace corvantis;

class HelpViewerTest : public QObject {
    Q_OBJECT

private slots:
    void init() { m_platform.clear(); }
    void cleanup() { QVERIFY(m_platform.unexpected.empty()); }
    void everyTopicOpensWithItsTitleAndFollowsLinks_data();
    void everyTopicOpensWithItsTitleAndFollowsLinks();
    void missingTopicsTellTheOperatorToReinstall();

private:
    // The build tree keeps the guide where an installed program finds it, share/corvantis/help
    // beside bin; the test programs lie two levels below the top of the build tree.
    const QString m_folder = QDir::cleanPath(QCoreApplication::applicationDirPath() +
                                             QStringLiteral("/../../share/corvantis/help"));
    test::ScriptedPlatform m_platform;
};

void HelpViewerTest::everyTopicOpensWithItsTitleAndFollowsLinks_data()
{
    QTest::addColumn<int>("topic");
    QTest::addColumn<QString>("title");
    QTest::newRow("main window") << 1001 << "The main window";
    QTest::newRow("one router") << 1002 << "Setting up one router";
    QTest::newRow("macros") << 1003 << "Recording macros";
    QTest::newRow("several routers") << 1010 << "Setting up several routers";
    QTest::newRow("mapping") << 1011 << "Mapping several routers in detail";
}

void HelpViewerTest::everyTopicOpensWithItsTitleAndFollowsLinks()
{
    QFETCH(int, topic);
    QFETCH(QString, title);
    HelpViewer viewer(nullptr, m_folder);
    QVERIFY(viewer.showTopic(topic) && viewer.isVisible());
    QCOMPARE(viewer.currentTopic(), topic);
    auto *text = viewer.findChild<QTextBrowser *>(QStringLiteral("txtHelp"));
    QCOMPARE(text->documentTitle(), title);
    QVERIFY(text->toPlainText().size() > 1000);
    auto *contents = viewer.findChild<QListWidget *>(QStringLiteral("lstTopics"));
    QCOMPARE(contents->count(), 5);
    QCOMPARE(contents->currentItem()->text(), title);
    // Topic links stay inside the viewer; web links go to the desktop.
    emit text->anchorClicked(QUrl(QStringLiteral("topic1011.html")));
    QCOMPARE(viewer.currentTopic(), 1011);
    emit text->anchorClicked(QUrl(QStringLiteral("https://www.corvantis.invalid/guide")));
    QCOMPARE(viewer.currentTopic(), 1011);
    QCOMPARE(m_platform.openedDocuments.back(), "https://www.corvantis.invalid/guide");
    QVERIFY(m_platform.messages.empty());
}

void HelpViewerTest::missingTopicsTellTheOperatorToReinstall()
{
    QTemporaryDir prefix;
    m_platform.programDir = prefix.filePath(QStringLiteral("bin")).toStdString();
    HelpViewer viewer;
    QVERIFY(!viewer.showTopic(1001));
    QVERIFY(!viewer.isVisible());
    QCOMPARE(
        m_platform.messageTexts(),
        std::vector<std::string>{"Help file cannot be found.  Try reinstalling the application"});
}

QTEST_MAIN(HelpViewerTest)
#include "HelpViewerTest.moc"
