#include "LineClient.h"

#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

class SimProgramTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void consoleRoutesAndDumpsAndTerminationRemovesTheLink();
};

void SimProgramTest::consoleRoutesAndDumpsAndTerminationRemovesTheLink()
{
    QTemporaryDir folder;
    const QString link = folder.filePath(QStringLiteral("ports/com1"));
    QProcess sim;
    sim.start(QStringLiteral(CORVANTIS_SIM_PROGRAM),
              {QStringLiteral("--link"), link, QStringLiteral("--no-pacing")});
    QVERIFY(sim.waitForStarted(kWaitMs));
    QByteArray output;
    auto outputHas = [&](const char *text) {
        output += sim.readAllStandardOutput();
        return output.contains(text);
    };
    QTRY_VERIFY_WITH_TIMEOUT(outputHas("Type help for commands."), kWaitMs);
    QVERIFY(output.contains("Virtual router line on /dev/pts/"));
    QVERIFY(QFileInfo(link).isSymLink());

    // The default line: one 16x16 Type B router at frame address 0, all disconnected.
    LineClient client;
    QVERIFY(client.open(link));
    QCOMPARE(client.exchange(QByteArray("//F00U\x13\r"), 16), QByteArray(16, '\x7F'));
    sim.write("route 0 3 5\n");
    QCOMPARE(client.take(3), QByteArray("U\x05\x03"));
    sim.write("dump\nroute 0 17 1\n");
    QTRY_VERIFY_WITH_TIMEOUT(outputHas("has output 17"), kWaitMs);
    QVERIFY(output.contains("3:5 "));

    sim.terminate();
    QVERIFY(sim.waitForFinished(kWaitMs));
    QCOMPARE(sim.exitStatus(), QProcess::NormalExit);
    QCOMPARE(sim.exitCode(), 0);
    QVERIFY(!QFileInfo(link).isSymLink());
}

QTEST_GUILESS_MAIN(SimProgramTest)
#include "SimProgramTest.moc"
