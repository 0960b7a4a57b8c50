// The panel server over the real application core, the link and the virtual line: what a
// panel asks for goes out on the wire, and what the panel is told is what the routers took.
#include "PanelClient.h"
#include "core/AppCore.h"
#include "link/Framing.h"
#include "service/HeadlessService.h"
#include "sim/VirtualRouterLine.h"
#include "support/ScriptedPlatform.h"
#include "util/GeneralFunctions.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace corvantis;
using namespace corvantis::test;

namespace {

class ServiceRig {
public:
    ServiceRig()
    {
        platform.dataFolder = dataDir.path().toStdString();
        line.setCommType(kTypeB);
        line.setPacing(false);
        line.addRouter({0, 16, 16, 0});
        const QString link = QString::fromStdString(ProgramDataFolder()) + "ports/com1";
        if (!line.open(link))
            return;
        Configuration config;
        config.settings.CommPortName = "COM1";
        config.settings.CommType = kTypeB;
        config.settings.RouterTimeout = 0.1f;
        config.settings.CurrentRouterType = 2;
        auto router = std::make_unique<clsRouter>();
        router->SetRouterType(2);
        router->SetInputCount(15);
        router->SetOutputCount(15);
        config.routers.set(0, std::move(router));
        std::string path = dataDir.filePath("line.rcf").toStdString();
        ConfigSave(path, true, config);
        core.link().setTimings({std::chrono::milliseconds(20), std::chrono::milliseconds(5),
                                std::chrono::milliseconds(20), std::chrono::milliseconds(30)});
        started = service.start(QString::fromStdString(path)) &&
                  service.listen(QStringLiteral("127.0.0.1"), 0);
    }
    ~ServiceRig()
    {
        service.stop();
        line.close();
    }
    QByteArray routeFrame(int output, int input) const
    {
        const Bytes bytes = BuildFrame(kTypeB, 0, CmdRoute, output, input);
        return QByteArray(bytes.data(), qsizetype(bytes.size()));
    }

    ScriptedPlatform platform;
    QTemporaryDir dataDir;
    VirtualRouterLine line;
    AppCore core;
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

    first.send("VIDEO OUTPUT ROUTING:\n3 5\n\n");
    ASSERT_TRUE(second.waitFor([&] { return second.routing.value(3, -1) == 5; }));
    EXPECT_EQ(first.acks, 1);
    EXPECT_EQ(rig.line.crosspoint(0, 3), 5);
    EXPECT_TRUE(rig.line.receivedFrames().contains(rig.routeFrame(3, 5)));

    // A route the router never took: the panel is told again what holds.
    PanelClient &panel = first;
    rig.line.setSilent(true);
    const int updatesBefore = panel.received.count("VIDEO OUTPUT ROUTING:");
    panel.send("VIDEO OUTPUT ROUTING:\n3 9\n\n");
    // Five transmissions go unanswered, then the panel is told again what holds.
    ASSERT_TRUE(panel.waitFor([&] {
        return panel.received.count("VIDEO OUTPUT ROUTING:") > updatesBefore;
    })) << panel.received.toStdString();
    EXPECT_EQ(panel.acks, 2);
    // The router may have switched without a word; the panel is told only what was confirmed.
    EXPECT_EQ(panel.routing.value(3), 5);
}

TEST(ServiceTest, NamesFromAPanelAreSaved)
{
    ServiceRig rig;
    ASSERT_TRUE(rig.started);
    PanelClient panel;
    ASSERT_TRUE(panel.open(rig.service.server().serverPort()));
    panel.send("INPUT LABELS:\n2 Camera\n3 Camera\n\n");
    ASSERT_TRUE(panel.waitFor([&] { return panel.inputLabels.value(3) == "Camera!"; }));

    Configuration saved;
    std::string path = rig.dataDir.filePath("line.rcf").toStdString();
    ConfigLoad(path, false, saved);
    ASSERT_NE(saved.routers.at(0), nullptr);
    EXPECT_EQ(saved.routers.at(0)->RouterInName(3), "Camera!");
}

} // namespace
