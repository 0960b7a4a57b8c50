// The application core without a window: no widget is made here.
#include "WindowRig.h"

#include <QSignalSpy>

using namespace corvantis;
using namespace corvantis::test;

class AppCoreTest : public QObject {
    Q_OBJECT

private slots:
    void emptyOddSlotOfAPairIsAnUnassignedCrosspoint();
    void pairedMarksFallBackToThePartnerOnlyWhenThereIsOne();
    void saveOnExitKeepsTheOperatorsFileWhenNothingWasLoaded();
};

void AppCoreTest::emptyOddSlotOfAPairIsAnUnassignedCrosspoint()
{
    ScriptedPlatform platform;
    AppCore core;
    core.settings().ConfigLoaded = true;
    core.settings().MatrixSize = true;
    for (int slot : {0, 1, 2, 4})
        core.config().routers.set(slot, makeRouter({slot, 7, 16, 16}));
    const AppCore::ViewLayout layout = core.Rebuild();
    QCOMPARE(layout.maxOutput, 31);
    core.setOutputOffset(16);

    // An odd input on the outputs of router 2: its partner, slot 3, is empty.
    const PhysicalCrosspoint crosspoint = core.CellCrosspoint(WindowRig::cell(1, 0));
    QVERIFY(crosspoint.router == nullptr);
    QSignalSpy errors(&core.link(), &SerialLink::errorMessageChanged);
    core.link().setCommOK(true);
    QVERIFY(!core.RouteCrosspoint(crosspoint.router, crosspoint.output, crosspoint.input, 3));
    QCOMPARE(platform.beeps, 1);
    QCOMPARE(errors.size(), 1);
    QCOMPARE(errors.front().front().toString(), QString("Unassigned crosspoint"));

    // The even input goes to router 2.
    const PhysicalCrosspoint even = core.CellCrosspoint(WindowRig::cell(4, 3));
    QCOMPARE(even.router, core.config().routers.at(2));
    QCOMPARE(even.output, 3);
    QCOMPARE(even.input, 2);
}

void AppCoreTest::pairedMarksFallBackToThePartnerOnlyWhenThereIsOne()
{
    ScriptedPlatform platform;
    AppCore core;
    core.settings().MatrixSize = true;
    for (int slot : {0, 1, 2, 4})
        core.config().routers.set(slot, makeRouter({slot, 7, 16, 16}));
    core.Rebuild();
    RouterTable &routers = core.config().routers;

    routers.at(1)->RouteState(4)->SetVideo(6);
    routers.at(1)->RouteState(4)->SetAudio(6);
    AppCore::ColumnMarks marks = core.Marks(*routers.at(0), 4);
    QCOMPARE(marks.videoRow, 13);
    QVERIFY(!marks.split);

    // Router 2 feeds nothing and has no partner: nothing to draw, nothing dereferenced.
    marks = core.Marks(*routers.at(2), 4);
    QVERIFY(marks.videoRow < 0);
    QVERIFY(marks.audioRow < 0);

    core.setInputOffset(8);
    marks = core.Marks(*routers.at(0), 4);
    QCOMPARE(marks.videoRow, 5);
}

void AppCoreTest::saveOnExitKeepsTheOperatorsFileWhenNothingWasLoaded()
{
    ScriptedPlatform platform;
    QTemporaryDir data;
    platform.dataFolder = data.path().toStdString();
    AppCore core;
    const QString chosen = data.filePath("studio.rcf");
    {
        QFile file(chosen);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("kept");
    }
    // A path remembered from an earlier save, but nothing loaded or accepted in this run.
    core.settings().ConfigFilePath = chosen.toStdString();
    core.SaveOnExit();
    QFile file(chosen);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray("kept"));
    file.close();

    core.settings().ConfigLoaded = true;
    core.SaveOnExit();
    QVERIFY(file.open(QIODevice::ReadOnly));
    QVERIFY(file.readAll().startsWith(kConfigHeader));
    QVERIFY(platform.messages.empty());
}

QTEST_GUILESS_MAIN(AppCoreTest)
#include "AppCoreTest.moc"
