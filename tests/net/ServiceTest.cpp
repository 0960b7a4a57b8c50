// The panel server over the real application core, the link and the virtual line: what a
// panel asks for goes out on the wire, and what the panel is told is what the routers took.
#include "../link/CoreRig.h"
#include "PanelClient.h"
#include "service/HeadlessService.h"

#include <QFile>
#include <gtest/gtest.h>

using namespace corvantis;
using namespace corvantis::test;

namespace {

// The core starts from a saved file, as the headless program does.
struct ServiceRig : CoreRig {
    ServiceRig() : CoreRig({16}, false)
    {
        ConfigSave(path, true, core.config());
        started = opened && service.start(QString::fromStdString(path)) &&
                  service.listen(QStringLiteral("127.0.0.1"), 0);
    }
    ~ServiceRig() { service.stop(); }

    std::string path = dataDir.filePath("line.rcf").toStdString();
    HeadlessService service{core};
    bool started = false;
};

TEST(ServiceTest, ARouteFromAPanelGoesOnTheWireAndEveryPanelSeesOnlyWhatWasAccepted)
{
    ServiceRig rig;
    ASSERT_TRUE(rig.started);
    PanelClient first;
    PanelClient second;
    ASSERT_TRUE(first.open(rig.service.server().serverPort()));
    ASSERT_TRUE(second.open(rig.service.server().serverPort()));
    EXPECT_EQ(first.outputLabels.size(), 16);
    EXPECT_TRUE(
        first.received.contains("Model name: Palomir 16x16\nFriendly name: Palomir 16x16\n"));

    first.send("VIDEO OUTPUT ROUTING:\n3 5\n\n");
    ASSERT_TRUE(second.waitFor([&] { return second.routing.value(3, -1) == 5; }));
    EXPECT_EQ(first.acks, 1);
    EXPECT_EQ(rig.line.crosspoint(0, 3), 5);
    EXPECT_TRUE(rig.line.receivedFrames().contains(CoreRig::route(3, 5)));

    // Five transmissions go unanswered; the router may have switched without a word, so the
    // panel is told again only what was confirmed.
    rig.line.setSilent(true);
    const int updatesBefore = first.received.count("VIDEO OUTPUT ROUTING:");
    first.send("VIDEO OUTPUT ROUTING:\n3 9\n\n");
    ASSERT_TRUE(first.waitFor(
        [&] { return first.received.count("VIDEO OUTPUT ROUTING:") > updatesBefore; }));
    EXPECT_EQ(first.acks, 2);
    EXPECT_EQ(first.routing.value(3), 5);
}

TEST(ServiceTest, NamesFromAPanelAreSavedAndALineBreakInOneIsRefused)
{
    ServiceRig rig;
    ASSERT_TRUE(rig.started);
    PanelClient panel;
    ASSERT_TRUE(panel.open(rig.service.server().serverPort()));
    panel.send("INPUT LABELS:\n1 Camera 2\rPort Address: socket://192.0.2.66:4000\n\n");
    panel.send("INPUT LABELS:\n2 Camera\n3 Camera\n\n");
    ASSERT_TRUE(panel.waitFor([&] { return panel.inputLabels.value(3) == "Camera!"; }));
    EXPECT_EQ(panel.naks, 1);

    Configuration saved;
    ConfigLoad(rig.path, false, saved);
    ASSERT_NE(saved.routers.at(0), nullptr);
    EXPECT_EQ(saved.routers.at(0)->RouterInName(1), clsRouter::DefaultInName(1));
    EXPECT_EQ(saved.routers.at(0)->RouterInName(3), "Camera!");
    EXPECT_EQ(saved.settings.CommPortAddress, "");
}

// Beside the window a panel's name is kept as a typed one is, until the window saves.
TEST(ServiceTest, NamesFromAPanelBesideTheWindowNeitherSaveNorAsk)
{
    for (const bool fromFile : {true, false}) {
        CoreRig rig({16}, false);
        std::string path = rig.dataDir.filePath("line.rcf").toStdString();
        ConfigSave(path, true, rig.core.config());
        if (!fromFile)
            rig.core.settings().ConfigFilePath.clear();
        const std::string before = ConfigText(rig.core.config());
        HeadlessService panels(rig.core);
        ASSERT_TRUE(panels.listen(QStringLiteral("127.0.0.1"), 0));
        PanelClient panel;
        ASSERT_TRUE(panel.open(panels.server().serverPort()));
        panel.send("OUTPUT LABELS:\n4 Desk\n\n");
        ASSERT_TRUE(panel.waitFor([&] { return panel.outputLabels.value(4) == "Desk"; }));
        EXPECT_TRUE(rig.platform.unexpected.empty()) << fromFile;
        QFile file(QString::fromStdString(path));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        EXPECT_EQ(file.readAll().toStdString(), before) << fromFile;
    }
}

} // namespace
