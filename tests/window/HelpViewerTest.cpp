#include "ui/HelpViewer.h"

#include "support/ScriptedPlatform.h"

#include <QDir>
#include <QFile>
#include <QListWidget>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTextBrowser>
#include <QtTest>
#include <memory>

using namespace corvantis;

namespace {

// The build tree keeps the guide where an installed program finds it: share/corvantis/help
// beside bin. The test programs lie two levels below the top of the build tree.
QString builtHelpFolder()
{
    return QDir::cleanPath(QCoreApplication::applicationDirPath() +
                           QStringLiteral("/../../share/corvantis/help"));
}

} // namespace

class HelpViewerTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void everyTopicOpensWithItsTitle_data();
    void everyTopicOpensWithItsTitle();
    void everyLinkAndPictureOfTheGuideExists();
    void missingTopicsTellTheOperatorToReinstall();
    void topicLinksStayInsideAndWebLinksGoToThePlatform();

private:
    std::unique_ptr<test::ScriptedPlatform> m_platform;
};

void HelpViewerTest::init()
{
    m_platform = std::make_unique<test::ScriptedPlatform>();
}

void HelpViewerTest::cleanup()
{
    QVERIFY(m_platform->unexpected.empty());
    m_platform.reset();
}

void HelpViewerTest::everyTopicOpensWithItsTitle_data()
{
    QTest::addColumn<int>("topic");
    QTest::addColumn<QString>("title");
    QTest::newRow("main window") << 1001 << "The main window";
    QTest::newRow("one router") << 1002 << "Setting up one router";
    QTest::newRow("macros") << 1003 << "Recording macros";
    QTest::newRow("several routers") << 1010 << "Setting up several routers";
    QTest::newRow("mapping") << 1011 << "Mapping several routers in detail";
}

void HelpViewerTest::everyTopicOpensWithItsTitle()
{
    QFETCH(int, topic);
    QFETCH(QString, title);
    HelpViewer viewer(nullptr, builtHelpFolder());
    QVERIFY(viewer.showTopic(topic));
    QVERIFY(viewer.isVisible());
    QCOMPARE(viewer.currentTopic(), topic);
    auto *text = viewer.findChild<QTextBrowser *>(QStringLiteral("txtHelp"));
    QCOMPARE(text->documentTitle(), title);
    QVERIFY(text->toPlainText().size() > 1000);
    auto *contents = viewer.findChild<QListWidget *>(QStringLiteral("lstTopics"));
    QCOMPARE(contents->count(), 5);
    QCOMPARE(contents->currentItem()->text(), title);
    QVERIFY(m_platform->messages.empty());
}

void HelpViewerTest::everyLinkAndPictureOfTheGuideExists()
{
    const QDir folder(builtHelpFolder());
    const QStringList topics = folder.entryList({QStringLiteral("topic*.html")});
    QCOMPARE(topics.size(), 5);
    static const QRegularExpression reference(QStringLiteral("(?:href|src)=\"([^\"#:]+)"));
    for (const QString &topic : topics) {
        QFile file(folder.filePath(topic));
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QString html = QString::fromUtf8(file.readAll());
        auto matches = reference.globalMatch(html);
        while (matches.hasNext()) {
            const QString target = matches.next().captured(1);
            QVERIFY2(QFileInfo::exists(folder.filePath(target)),
                     qPrintable(topic + QStringLiteral(" refers to a missing ") + target));
        }
    }
}

void HelpViewerTest::missingTopicsTellTheOperatorToReinstall()
{
    QTemporaryDir prefix;
    m_platform->programDir = prefix.filePath(QStringLiteral("bin")).toStdString();
    HelpViewer viewer;
    QVERIFY(!viewer.showTopic(1001));
    QVERIFY(!viewer.isVisible());
    QCOMPARE(
        m_platform->messageTexts(),
        std::vector<std::string>{"Help file cannot be found.  Try reinstalling the application"});
}

void HelpViewerTest::topicLinksStayInsideAndWebLinksGoToThePlatform()
{
    HelpViewer viewer(nullptr, builtHelpFolder());
    QVERIFY(viewer.showTopic(1010));
    auto *text = viewer.findChild<QTextBrowser *>(QStringLiteral("txtHelp"));
    emit text->anchorClicked(QUrl(QStringLiteral("topic1011.html")));
    QCOMPARE(viewer.currentTopic(), 1011);
    emit text->anchorClicked(QUrl(QStringLiteral("https://www.corvantis.invalid/guide")));
    QCOMPARE(viewer.currentTopic(), 1011);
    QCOMPARE(m_platform->openedDocuments,
             std::vector<std::string>{"https://www.corvantis.invalid/guide"});
}

QTEST_MAIN(HelpViewerTest)
#include "HelpViewerTest.moc"
