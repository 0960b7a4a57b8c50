// The application core without a window: no widget is made here.
#include "WindowRig.h"

using namespace corvantis;
using namespace corvantis::test;

class AppCoreTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void pairedMarksFallBackToThePartnerOnlyWhenThereIsOne();
    void saveOnExitKeepsTheOperatorsFileWhenNothingWasLoaded();

private:
    // Paired layout over slots 0, 1, 2 and 4: router 2 has no partner.
    ScriptedPlatform m_platform;
    std::unique_ptr<AppCore> m_core;
};

void AppCoreTest::init()
{
    m_platform.clear();
    m_core.reset();
    m_core = std::make_unique<AppCore>();
    m_core->settings().MatrixSize = true;
    for (int slot : {0, 1, 2, 4})
        m_core->config().routers.set(slot, makeRouter({slot, 7, 16, 16}));
}

void AppCoreTest::pairedMarksFallBackToThePartnerOnlyWhenThereIsOne()
{
    m_core->Rebuild();
    RouterTable &routers = m_core->config().routers;
    routers.at(1)->RouteState(4)->SetVideo(6);
    routers.at(1)->RouteState(4)->SetAudio(6);
    AppCore::ColumnMarks marks = m_core->Marks(*routers.at(0), 4);
    QCOMPARE(marks.videoRow, 13);

    // Router 2 feeds nothing and has no partner: nothing to draw, nothing dereferenced.
    marks = m_core->Marks(*routers.at(2), 4);
    QVERIFY(marks.videoRow < 0 && marks.audioRow < 0);
    m_core->setInputOffset(8);
    QCOMPARE(m_core->Marks(*routers.at(0), 4).videoRow, 5);
}

void AppCoreTest::saveOnExitKeepsTheOperatorsFileWhenNothingWasLoaded()
{
    QTemporaryDir data;
    m_platform.dataFolder = data.path().toStdString();
    const QString path = data.filePath("studio.rcf");
    QVERIFY(WindowRig::writeFile(path, "kept"));
    // A path remembered from an earlier save, but nothing loaded or accepted in this run.
    m_core->settings().ConfigFilePath = path.toStdString();
    m_core->SaveOnExit();
    QCOMPARE(WindowRig::readFile(path), QByteArray("kept"));

    m_core->settings().ConfigLoaded = true;
    m_core->SaveOnExit();
    QVERIFY(WindowRig::readFile(path).startsWith(kConfigHeader));
    QVERIFY(m_platform.messages.empty());
}

QTEST_GUILESS_MAIN(AppCoreTest)
#include "AppCoreTest.moc"
