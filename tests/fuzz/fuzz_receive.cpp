// Arbitrary bytes as they could arrive on the line: as the reply to a command, as a status
// reply, as a router's own report, as acknowledgements. Whatever arrives, results and route
// states stay inside their ranges. Built with the Qt layers, the same bytes also go through
// the status poller and the routing engine themselves.
#include "link/ReceiveHandling.h"
#include "model/LogicalMatrix.h"
#include "model/RouterTable.h"
#include "support/ScriptedPlatform.h"

#ifdef CORVANTIS_FUZZ_LINK
#include "config/ConfigFile.h"
#include "config/MacroRecording.h"
#include "link/RoutingEngine.h"
#include "link/SerialLink.h"
#include "link/StatusPoller.h"
#include "link/clsSemaphore.h"

#include <QCoreApplication>
#endif

#include <array>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string_view>

using namespace corvantis;

namespace {

void check(bool condition)
{
    if (!condition)
        std::abort();
}

struct RouterShape {
    int slot;
    int inputs;
    int outputs;
    int mapOut;
};

void fillRouters(RouterTable &routers, bool paired)
{
    // A gap at slot 2 and a router with the most inputs a router can have in the normal
    // layout; four full routers in the paired one.
    static constexpr std::array<RouterShape, 3> kNormal{
        {{0, 16, 16, 0}, {1, 8, 4, 16}, {3, 127, 16, 20}}};
    static constexpr std::array<RouterShape, 4> kPaired{
        {{0, 16, 16, 0}, {1, 16, 16, 0}, {2, 16, 16, 16}, {3, 16, 16, 16}}};
    auto add = [&](const RouterShape &shape) {
        auto router = std::make_unique<clsRouter>();
        router->SetFrameAddress(shape.slot);
        router->SetInputCount(shape.inputs - 1);
        router->SetOutputCount(shape.outputs - 1);
        router->SetMapOut(shape.mapOut);
        routers.set(shape.slot, std::move(router));
    };
    if (paired) {
        for (const auto &shape : kPaired)
            add(shape);
    } else {
        for (const auto &shape : kNormal)
            add(shape);
    }
}

struct Model {
    explicit Model(bool paired)
    {
        fillRouters(routers, paired);
        matrix.BuildLogicalMatrix(paired);
    }
    RouterTable routers;
    LogicalMatrix matrix{routers};
};

void checkRouteStates(const RouterTable &routers)
{
    for (int slot = 0; slot < RouterTable::kSlots; ++slot) {
        const clsRouter *router = routers.at(slot);
        if (!router)
            continue;
        for (int output = 0; output <= router->OutputCount(); ++output) {
            const clsRouteState *state = router->RouteStateIfAny(output);
            if (!state)
                continue;
            check(state->Video() >= -1 && state->Video() <= router->InputCount());
            check(state->Audio() >= -1 && state->Audio() <= router->InputCount());
        }
    }
}

void judge(std::string_view data)
{
    static constexpr std::array<int, 7> kCodes{CmdRoute,          CmdDisconnect, CmdPairRoute,
                                               CmdStatus,         CmdRsConnect,  CmdRsDisconnect,
                                               CmdSetFrameAddress};
    if (data.size() < 5)
        return;
    const int commType = static_cast<std::uint8_t>(data[0]) % 3; // 2: a framing nobody knows
    const int code = kCodes[static_cast<std::uint8_t>(data[1]) % kCodes.size()];
    const Bytes frame =
        BuildFrame(commType, static_cast<std::uint8_t>(data[2]) % 17, code,
                   static_cast<std::uint8_t>(data[3]), static_cast<std::uint8_t>(data[4]));
    const std::string_view reply = data.substr(5);
    const ReplyVerdict verdict = JudgeReply(commType, code, reply, frame);
    const bool addressResult = verdict.result >= 128 && verdict.result <= 128 + 255;
    check(verdict.result == 0 || verdict.result == kAck || addressResult);
    check(!addressResult || (commType == kTypeB && code == CmdSetFrameAddress));
    check(!verdict.noReply || verdict.result == 0);
    check(verdict.commOk != true || verdict.result == kAck);
    check((verdict.result == kAck) == IsValidReply(commType, reply, frame));
}

void applyStatus(std::string_view data, bool paired)
{
    static Model normal(false);
    static Model pairedModel(true);
    Model &model = paired ? pairedModel : normal;
    const int written = ApplyStatusReply(data, model.matrix);
    check(written >= 0 && written <= static_cast<int>(data.size()));
    check(written <= model.matrix.MaxOutput() + 1);
    checkRouteStates(model.routers);
}

void remoteReport(std::string_view data)
{
    const auto cell = RemoteReportCell(data);
    if (!cell)
        return;
    check(*cell >= 0 && *cell <= 255);
    check(data.size() >= 3 && data[0] == kRemoteReport);
}

#ifdef CORVANTIS_FUZZ_LINK

struct Program {
    Program() : app(argc, argv)
    {
        fillRouters(config.routers, false);
        config.settings.ConfigLoaded = true;
        matrix.BuildLogicalMatrix(false);
        QObject::connect(&poller, &StatusPoller::remoteCellClick, &poller, [this](int cell) {
            check(cell >= 0 && cell <= 255);
            check(engine.RemoteClick());
            lastCell = cell;
        });
    }

    int argc = 1;
    char name[8] = "fuzzer";
    char *argv[2] = {name, nullptr};
    QCoreApplication app;
    Configuration config;
    LogicalMatrix matrix{config.routers};
    MacroRecording recording;
    SerialLink link{config.settings};
    RoutingEngine engine{config, matrix, recording, link};
    StatusPoller poller{config.settings, link, engine, recording};
    int lastCell = -1;
};

void throughTheProgram(std::string_view data)
{
    static Program program;
    const QByteArray bytes(data.data(), static_cast<qsizetype>(data.size()));

    program.lastCell = -1;
    program.poller.HandleReceived(bytes);
    check(!program.engine.RemoteClick());
    check(program.lastCell == RemoteReportCell(data).value_or(-1));

    program.link.setStatusBuffer(bytes);
    program.engine.ReceiveStatusUpdate();
    check(program.link.StatusBuffer().isEmpty());
    checkRouteStates(program.config.routers);

    clsSemaphore semaphore;
    for (int i = CountAcks(data); i > 0; --i)
        semaphore.Up();
    check(semaphore.Count() == std::min<int>(CountAcks(data), 32767));
    while (semaphore.Down())
        check(semaphore.Count() >= 0);
}

#endif

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    static test::ScriptedPlatform platform;
    if (size == 0)
        return 0;
    const std::string_view bytes(reinterpret_cast<const char *>(data) + 1, size - 1);
    switch (data[0] % 4) {
    case 0:
        judge(bytes);
        break;
    case 1:
        applyStatus(bytes, false);
        break;
    case 2:
        applyStatus(bytes, true);
        break;
    default:
        remoteReport(bytes);
        break;
    }
#ifdef CORVANTIS_FUZZ_LINK
    throughTheProgram(bytes);
#endif
    return 0;
}
