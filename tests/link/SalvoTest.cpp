// Salvos against the virtual line: a salvo goes past failures and locks to its end and says
// what happened to each route; its file keeps what it cannot read.
#include "CoreRig.h"
#include "LinkRig.h"

#include <QFile>
#include <gtest/gtest.h>

using namespace corvantis;
using namespace corvantis::test;

namespace {

constexpr int kRouters = 6;
constexpr int kPorts = 8;

QList<QByteArray> frames(const QList<RouteRequest> &routes)
{
    QList<QByteArray> frames;
    for (const RouteRequest &r : routes)
        frames << LinkRig::frame(kTypeB, r.frameAddress, CmdRoute, r.output, r.input);
    return frames;
}

TEST(SalvoTest, ASalvoGoesPastASilentRouterAndLocksAndRetrySendsOnlyWhatFailed)
{
    CoreRig rig({kPorts, kPorts, kPorts, kPorts, kPorts, kPorts});
    ASSERT_TRUE(rig.opened);
    Salvos::Salvo salvo{"Evening news", {}};
    for (int frame = 0; frame < kRouters; ++frame)
        for (int output = 0; output < kPorts; ++output)
            salvo.routes.append({frame, output, (output + frame + 1) % kPorts, 3});
    rig.storeSalvos(Salvos::format({salvo}));
    ASSERT_EQ(rig.core.salvos().all().size(), 1);
    constexpr int kPanel = 2;
    rig.core.locks().lock(3, kPanel);  // router 0, output 3
    rig.core.locks().lock(40, kPanel); // router 5, output 0
    rig.line.setRouterSilent(2, true);
    std::optional<RouteReport> report;
    QObject::connect(&rig.core, &AppCore::routesReported,
                     [&report](const RouteReport &r) { report = r; });
    int progressed = 0;
    QObject::connect(&rig.core, &AppCore::routeProgress,
                     [&progressed](const RouteReport &r) { progressed = r.done(); });

    ASSERT_TRUE(rig.core.salvos().Fire("Evening news"));
    ASSERT_TRUE(rig.settle());
    ASSERT_TRUE(report.has_value());
    EXPECT_EQ(progressed, 48);
    EXPECT_EQ(report->resultLine(), "Evening news: 38 of 48 confirmed, 8 failed, 2 skipped");
    EXPECT_TRUE(report->summaryText().contains(
        "Output 4 to input 5: skipped: Output 4 is locked by network panel 2"));
    EXPECT_TRUE(
        report->summaryText().contains("Output 17 to input 20: failed: No reply from the router"));
    QList<RouteRequest> unlocked = salvo.routes;
    unlocked.remove(40); // the locked outputs, in the order of the salvo
    unlocked.remove(3);
    EXPECT_EQ(rig.distinctFrames(), frames(unlocked));

    rig.line.setRouterSilent(2, false);
    const qsizetype before = rig.line.receivedFrames().size();
    rig.core.RetryFailed(*report);
    ASSERT_TRUE(rig.settle());
    EXPECT_EQ(rig.line.receivedFrames().mid(before), frames(salvo.routes.mid(2 * kPorts, kPorts)));
    EXPECT_EQ(report->resultLine(), "Evening news (retry): 8 of 8 confirmed");
}

TEST(SalvoTest, TheFileLeavesOutWhatItCannotReadSaysWhereAndKeepsTheOriginal)
{
    CoreRig rig;
    const QByteArray text = "Corvantis salvos\n"
                            "Route: 0;1;2;3\n" // 2: outside any salvo
                            "Salvo: Morning\n"
                            "Route: 0;1;2;3\r\n"
                            "Route: 0;1;2\n"    // 5: three fields
                            "Route: 0;x;2;3\n"  // 6: not a number
                            "Route: 0;1;2;4\n"  // 7: no such level
                            "Route: 16;1;2;3\n" // 8: no such frame address
                            "Route: 0;1;-1;1\n"
                            "Salvo: Morning\n"      // 10: the name is taken
                            "Salvo: Late\x01show\n" // 11: a control character
                            "Macro: 1\n";           // 12: not a salvo line
    rig.storeSalvos(text);
    const QList<Salvos::Salvo> &salvos = rig.core.salvos().all();
    ASSERT_EQ(salvos.size(), 1);
    EXPECT_EQ(salvos[0].routes, (QList<RouteRequest>{{0, 1, 2, 3}, {0, 1, -1, 1}}));
    QStringList lines;
    for (const QString &problem : Salvos::parse(text).problems)
        lines << problem.section(':', 0, 0);
    EXPECT_EQ(lines, (QStringList{"line 2", "line 5", "line 6", "line 7", "line 8", "line 10",
                                  "line 11", "line 12"}));
    EXPECT_EQ(rig.platform.messages.size(), 1u);

    rig.core.salvos().Rename("Morning", "Breakfast");
    ASSERT_TRUE(rig.settle());
    const auto read = [](const QString &path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    };
    EXPECT_EQ(read(rig.core.salvos().path() + ".bak"), text);
    EXPECT_EQ(Salvos::parse(read(rig.core.salvos().path())).salvos[0].name, "Breakfast");
}

TEST(SalvoTest, NamesAreRefusedWithTheirReason)
{
    CoreRig rig;
    rig.storeSalvos("Salvo: Morning\nRoute: 0;1;2;3\n");
    const Salvos &salvos = rig.core.salvos();
    const std::pair<QString, QString> cases[] = {
        {"", "A salvo needs a name"},
        {" Morning", "A salvo name cannot start or end with a blank"},
        {QString(Salvos::kMaxNameLength, 'x'), ""},
        {QString(Salvos::kMaxNameLength + 1, 'x'), "A salvo name has at most 64 characters"},
        {"a;b", "\";\" and control characters are not allowed in a name"},
        {"line\nbreak", "\";\" and control characters are not allowed in a name"},
        {"Morning", "There is a salvo named \"Morning\" already"},
        {"Evening", ""},
    };
    for (const auto &[name, refusal] : cases)
        EXPECT_EQ(salvos.nameRefusal(name), refusal) << name.toStdString();
    EXPECT_EQ(salvos.nameRefusal("Morning", "Morning"), "");
}

// A snapshot keeps what each chosen output holds now, video and audio apart where they differ,
// and names the outputs it had to leave out.
TEST(SalvoTest, ASnapshotKeepsTheRoutingOfTheChosenOutputs)
{
    CoreRig rig;
    rig.storeSalvos("");
    clsRouter &router = *rig.core.config().routers.at(0);
    router.AudioBreakaway = true;
    router.RouteState(1)->SetVideo(4);
    router.RouteState(1)->SetAudio(4);
    router.RouteState(2)->SetVideo(5);
    router.RouteState(2)->AudioSplit = true;
    router.RouteState(2)->SetAudio(6);
    rig.core.salvos().StoreSnapshot("Now", {1, 2, 3});
    ASSERT_TRUE(rig.settle());
    const Salvos::Salvo *salvo = rig.core.salvos().find("Now");
    ASSERT_NE(salvo, nullptr);
    EXPECT_EQ(salvo->routes, (QList<RouteRequest>{{0, 1, 4, 3}, {0, 2, 5, 1}, {0, 2, 6, 2}}));
    EXPECT_TRUE(rig.errorLines.last().endsWith("left out: 4"));
}

} // namespace
