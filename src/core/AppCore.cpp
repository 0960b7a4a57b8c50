#include "core/AppCore.h"

#include "config/RouterCatalog.h"
#include "util/GeneralFunctions.h"
#include "util/Platform.h"
#include "util/RuntimeError.h"
#include "util/clsDebug.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QThread>
#include <QTimer>

namespace corvantis {

namespace {

constexpr std::string_view kNotOwned = "-";
constexpr const char *kUnassigned = "Unassigned crosspoint";
constexpr std::string_view kDefaultFamily = "Router";

bool inMatrix(int logical, int maxIndex)
{
    return logical >= 0 && logical <= maxIndex && logical < LogicalMatrix::kSize;
}

// Appends "!" until no other port of the router has the name; an empty name is taken as it is.
template <typename Lookup> bool makeUnique(std::string &name, int index, Lookup idFromName)
{
    bool changed = false;
    if (name.empty())
        return false;
    for (;;) {
        const int id = idFromName(name);
        if (id <= -1 || id == index)
            return changed;
        name += '!';
        changed = true;
    }
}

} // namespace

AppCore::AppCore(QObject *parent) : QObject(parent)
{
    connect(this, &AppCore::configurationReplaced, this, [this] {
        // An import's undo names ports of the routers it changed.
        setImportUndo({});
        // What waits for the line was asked of the routers that were replaced.
        m_actions.CancelWaiting(ActionQueue::Needs::Line,
                                QStringLiteral("The configuration was replaced"));
        m_truth.clear();
        m_health.reset(configuredRouters());
        if (m_presets.clear())
            m_link.SetErrMsg(QStringLiteral("Presets dropped: the configuration was replaced"));
    });
    // A router's own report is a fact, whichever front end is up. Queued: it may be taken out
    // of an answer in the middle of another conversation.
    connect(
        &m_link, &SerialLink::routerReported, this, [this](int cell) { RouteCell(cell, true); },
        Qt::QueuedConnection);
    // A status reply tells what every router holds: no earlier failure stands against it.
    connect(&m_engine, &RoutingEngine::statusApplied, &m_truth, &CrosspointTruth::routersConfirmed);
    connectHealth();
}

void AppCore::connectHealth()
{
    connect(&m_link, &SerialLink::routerAnswered, &m_health, &RouterHealth::answered);
    connect(&m_link, &SerialLink::routerUnanswered, &m_health, &RouterHealth::unanswered);
    connect(&m_link, &SerialLink::commandResent, &m_health, &RouterHealth::resent);
    connect(&m_link, &SerialLink::portLost, &m_health, &RouterHealth::lineLost);
    connect(&m_poller, &StatusPoller::routerPolled, &m_health, &RouterHealth::polled);
    connect(&m_engine, &RoutingEngine::statusApplied, &m_health, &RouterHealth::statusRead);
    connect(&m_health, &RouterHealth::changed, this,
            [this](int frame) { m_truth.setRouterStale(frame, m_health.stale(frame)); });
    // A router back from silence is asked for everything before it is trusted again; without
    // status requests its next answers are all there is to go on.
    connect(&m_health, &RouterHealth::resyncNeeded, this, [this] {
        if (RouterCatalog::traits(m_config.settings.CurrentRouterType).statusRequests)
            m_poller.UpdateMatrix();
        else
            m_health.statusRead();
    });
    m_poller.setPollRound([this] {
        if (!m_config.settings.PollRound)
            return std::vector<int>{0};
        const std::vector<int> routers = configuredRouters();
        return routers.empty() ? std::vector<int>{0} : routers;
    });
}

std::vector<int> AppCore::configuredRouters() const
{
    std::vector<int> frames;
    for (int frame = 0; frame < RouterTable::kSlots; ++frame)
        if (m_config.routers.at(frame))
            frames.push_back(frame);
    return frames;
}

AppCore::~AppCore()
{
    m_poller.stop();
    m_actions.CancelAll(QStringLiteral("the program ends"));
}

void AppCore::SendStartupRequestWhenFree()
{
    RunOnLine(QStringLiteral("Start-up status request"),
              [this] { return m_poller.SendStartupRequest(); });
}

void AppCore::OpenCommPort()
{
    m_actions.Submit(QStringLiteral("Open port"), ActionQueue::Needs::Nothing,
                     [this]() -> Task<void> { co_await m_link.OpenCommPort(); });
}

bool AppCore::MustFinishBeforeClosing() const
{
    return m_link.CommBusy() || !m_actions.Idle();
}

void AppCore::ResetForStartup()
{
    m_config.settings.ConfigLoaded = false;
    m_currentLayer = kAllLevels;
    m_engine.setRemoteClick(false);
    m_link.setStatusBuffer({});
    m_poller.setStatusPollCounter(StatusPoller::kStatusPollStart);
    m_poller.setAlivePollCounter(0);
    m_poller.setStatusPollEnabled(true);
    m_config.macros.ClearMacros();
    m_recording.setRecordMode(0);
}

void AppCore::setBulkRouting(bool bulk)
{
    if (m_bulkRouting == bulk)
        return;
    m_bulkRouting = bulk;
    if (!bulk && !m_lockedSkipped.isEmpty()) {
        const QString text = QStringLiteral("Locked outputs skipped: %1")
                                 .arg(m_lockedSkipped.join(QStringLiteral(", ")));
        m_link.SetErrMsg(text);
        DebugLog().Log(text.toStdString(), {});
        m_lockedSkipped.clear();
    }
    emit bulkRoutingChanged(bulk);
}

bool AppCore::SetCurrentLayer(int level)
{
    if (level < kVideo || level > kAllLevels || level == m_currentLayer)
        return false;
    m_currentLayer = level;
    return true;
}

AppCore::ScrollRange AppCore::ScrollFor(int maxIndex)
{
    if (maxIndex >= kViewSize)
        return {true, maxIndex - (kViewSize - 1)};
    return {false, 0};
}

std::string AppCore::RouterLabel(std::string_view caption, int maxInput, int maxOutput)
{
    const auto blank = caption.find(' ');
    std::string label(caption.substr(0, blank));
    label += ' ';
    label += std::to_string(maxInput + 1);
    label += 'x';
    label += std::to_string(maxOutput + 1);
    return label;
}

bool AppCore::ShowsUpdateButton(int routerType)
{
    return RouterCatalog::traits(routerType).statusRequests;
}

bool AppCore::ShowsSwitchingPanel(int routerType)
{
    return RouterCatalog::traits(routerType).rsSwitching;
}

AppCore::ViewLayout AppCore::Rebuild()
{
    m_matrix.BuildLogicalMatrix(m_config.settings.MatrixSize);
    ViewLayout layout;
    layout.maxInput = m_matrix.MaxInput();
    layout.maxOutput = m_matrix.MaxOutput();
    layout.inputs = ScrollFor(layout.maxInput);
    layout.outputs = ScrollFor(layout.maxOutput);
    layout.levelSelectors = m_matrix.AnyAudioBreakaway();
    layout.updateButton = ShowsUpdateButton(m_config.settings.CurrentRouterType);
    layout.switchingPanel = ShowsSwitchingPanel(m_config.settings.CurrentRouterType);
    return layout;
}

PhysicalPort AppCore::ColumnOwner(int viewColumn) const
{
    if (!Paired())
        return m_matrix.cvMatOutToPhy1(viewColumn, m_offsets);
    // Columns beyond the pairs' outputs belong to no router.
    if (!inMatrix(viewColumn + m_offsets.output, m_matrix.MaxOutput()))
        return {};
    return m_matrix.cvLgMrxMatToPhy_(viewColumn, m_offsets);
}

AppCore::ColumnMarks AppCore::Marks(const clsRouter &router, int physicalOutput) const
{
    return Marks(router, physicalOutput, m_offsets);
}

AppCore::ColumnMarks AppCore::Marks(const clsRouter &router, int physicalOutput,
                                    ViewOffsets offsets) const
{
    auto stateOf = [physicalOutput](clsRouter &owner) {
        clsRouteState *state = owner.RouteState(physicalOutput);
        if (!state)
            throw RuntimeError(kSubscriptOutOfRange);
        return state;
    };
    // Reading a route state creates it; the router objects are the configuration's own.
    clsRouter *owner = m_config.routers.at(router.FrameAddress());
    if (owner != &router)
        throw RuntimeError(kObjectNotSet);
    const clsRouteState *state = stateOf(*owner);

    ColumnMarks marks;
    if (!Paired()) {
        marks.split = state->AudioSplit;
        marks.videoRow = router.MapInput(state->Video()) - offsets.input;
        marks.audioRow = router.MapInput(state->Audio()) - offsets.input;
        addTruth(marks, router.FrameAddress(), physicalOutput, [&](int input) {
            return router.MapInput(static_cast<std::int16_t>(input)) - offsets.input;
        });
        return marks;
    }
    int frame = router.FrameAddress();
    if (state->Video() < 0) {
        // The even router does not feed this output; its partner may.
        const int partner = LogicalMatrix::PairPartner(frame);
        if (clsRouter *other = m_config.routers.at(partner)) {
            frame = partner;
            state = stateOf(*other);
        }
    }
    marks.split = state->AudioSplit;
    marks.videoRow = state->Video() * 2 + (frame & 1) - offsets.input;
    marks.audioRow = state->Audio() * 2 + (frame & 1) - offsets.input;
    // A route may be pending on either router of the pair.
    const int even = router.FrameAddress();
    for (const int pairFrame : {even, LogicalMatrix::PairPartner(even)}) {
        addTruth(marks, pairFrame, physicalOutput,
                 [&](int input) { return input * 2 + (pairFrame & 1) - offsets.input; });
        if (marks.video.state == CrosspointTruth::State::Pending ||
            marks.audio.state == CrosspointTruth::State::Pending || pairFrame == frame)
            break;
    }
    return marks;
}

template <typename RowOf>
void AppCore::addTruth(ColumnMarks &marks, int frameAddress, int physicalOutput, RowOf rowOf) const
{
    marks.video = m_truth.at(frameAddress, physicalOutput, kVideo);
    marks.audio = m_truth.at(frameAddress, physicalOutput, kAudio);
    const auto preset = [&](int level) {
        const auto input = m_presets.inputAt(frameAddress, physicalOutput, level);
        return input && *input >= 0 ? rowOf(*input) : -1;
    };
    if (m_presets.inputAt(frameAddress, physicalOutput, kVideo))
        marks.presetVideoRow = preset(kVideo);
    if (m_presets.inputAt(frameAddress, physicalOutput, kAudio))
        marks.presetAudioRow = preset(kAudio);
    if (marks.video.state == CrosspointTruth::State::Pending && marks.video.pendingInput >= 0)
        marks.pendingVideoRow = rowOf(marks.video.pendingInput);
    if (marks.audio.state == CrosspointTruth::State::Pending && marks.audio.pendingInput >= 0)
        marks.pendingAudioRow = rowOf(marks.audio.pendingInput);
}

PhysicalCrosspoint AppCore::CellCrosspoint(int cell) const
{
    if (cell < 0 || cell >= kCells)
        throw RuntimeError(kSubscriptOutOfRange);
    const int row = cell / kViewSize;
    const int column = cell % kViewSize;
    if (Paired()) {
        if (!inMatrix(column + m_offsets.output, m_matrix.MaxOutput()) ||
            !inMatrix(row + m_offsets.input, m_matrix.MaxInput()))
            return {};
        return m_matrix.cvLgMrxMatToPhy(column, row, m_offsets);
    }
    const PhysicalPort output = m_matrix.cvMatOutToPhy1(column, m_offsets);
    return {output.router, output.port, m_matrix.cvMatInToPhy2(row, output.router, m_offsets)};
}

PhysicalCrosspoint AppCore::BulkCrosspoint(int logicalOutput, int viewInput) const
{
    const int input = viewInput + m_offsets.input;
    if (Paired()) {
        if (!inMatrix(logicalOutput, m_matrix.MaxOutput()) || !inMatrix(input, m_matrix.MaxInput()))
            return {};
        return m_matrix.cvLgMrxMapToPhy(logicalOutput, input);
    }
    // The outputs were scrolled to the start: view column and logical output are the same.
    const ViewOffsets fromStart{m_offsets.input, 0};
    const PhysicalPort output = m_matrix.cvMatOutToPhy1(logicalOutput, fromStart);
    return {output.router, output.port,
            m_matrix.cvMatInToPhy2(viewInput, output.router, fromStart)};
}

ViewCell AppCore::ViewOf(const clsRouter &router, int physicalOutput, int physicalInput) const
{
    if (Paired())
        return m_matrix.cvLgMrxPhyToMat(physicalOutput, physicalInput, router, m_offsets);
    return {m_matrix.cvPhyOutToMat(physicalOutput, router, m_offsets),
            m_matrix.cvPhyInToMat(physicalInput, router, m_offsets)};
}

Task<bool> AppCore::RouteCrosspoint(clsRouter *router, int physicalOutput, int physicalInput,
                                    int level)
{
    if (!router || physicalOutput < 0 || physicalInput < RoutingEngine::kNoInput) {
        platform().beep();
        m_link.SetErrMsg(QString::fromLatin1(kUnassigned));
        co_return false;
    }
    co_return !co_await m_engine.RouteOnRouter(*router, physicalOutput, physicalInput, level);
}

Task<AppCore::RouteEnd> AppCore::routeOne(RouteRequest route, int owner)
{
    clsRouter *router = m_config.routers.at(route.frameAddress);
    if (router && route.output >= 0 && owner != kAnyOwner) {
        const int logicalOutput = LogicalOutputOf(*router, route.output);
        if (refusedByLock(logicalOutput, owner))
            co_return RouteEnd{RouteOutcome::Skipped, lockedText(logicalOutput)};
    }
    bool routed = false;
    try {
        routed = co_await RouteCrosspoint(router, route.output, route.input, route.level);
    } catch (...) {
        // Whoever shows the routing hears of it also when the route failed.
        emit routeStatesChanged();
        throw;
    }
    emit routeStatesChanged();
    if (truthLevels(route) == 0)
        co_return RouteEnd{RouteOutcome::Skipped, QString::fromLatin1(kUnassigned)};
    if (routed)
        co_return RouteEnd{RouteOutcome::Confirmed, {}};
    // The route put its reason on the error line as it failed.
    co_return RouteEnd{RouteOutcome::Failed, m_link.errorMessage()};
}

int AppCore::truthLevels(const RouteRequest &route) const
{
    const clsRouter *router = m_config.routers.at(route.frameAddress);
    if (!router || route.output < 0 || route.output > router->OutputCount() ||
        route.input < RoutingEngine::kNoInput)
        return 0;
    return router->AudioBreakaway ? route.level : kAllLevels;
}

void AppCore::settleRoute(const RouteRequest &route, const RouteEnd &end, RouteReport *report)
{
    if (const int levels = truthLevels(route)) {
        switch (end.outcome) {
        case RouteOutcome::Confirmed:
            m_truth.routeConfirmed(route.frameAddress, route.output, levels);
            break;
        case RouteOutcome::Failed:
            m_truth.routeFailed(route.frameAddress, route.output, levels, end.why);
            break;
        case RouteOutcome::Skipped:
            m_truth.routeDropped(route.frameAddress, route.output, levels);
            break;
        }
    }
    if (!report)
        return;
    RouteReport::Entry entry{route, 0, 0, end.outcome, end.why};
    if (const clsRouter *router = m_config.routers.at(route.frameAddress)) {
        if (route.output >= 0 && route.output <= router->OutputCount())
            entry.outputNumber = LogicalOutputOf(*router, route.output) + 1;
        if (route.input >= 0 && route.input <= router->InputCount())
            entry.inputNumber = m_matrix.cvPhyInToMat(route.input, *router, ViewOffsets{}) + 1;
    }
    report->add(std::move(entry));
    emit routeProgress(*report);
}

Task<bool> AppCore::RouteAt(int frameAddress, int physicalOutput, int physicalInput, int level,
                            int owner, RouteReport *report)
{
    const RouteRequest route{frameAddress, physicalOutput, physicalInput, level};
    if (const int levels = truthLevels(route))
        m_truth.routeQueued(frameAddress, physicalOutput, physicalInput, levels);
    RouteEnd end;
    try {
        end = co_await routeOne(route, owner);
    } catch (const std::exception &error) {
        settleRoute(route, {RouteOutcome::Skipped, QString::fromUtf8(error.what())}, report);
        throw;
    }
    settleRoute(route, end, report);
    co_return end.outcome == RouteOutcome::Confirmed;
}

bool AppCore::SubmitRoutes(const QString &label, QList<RouteRequest> routes, RouteOptions options,
                           ActionQueue::Done done)
{
    for (const RouteRequest &route : routes)
        if (const int levels = truthLevels(route))
            m_truth.routeQueued(route.frameAddress, route.output, route.input, levels);
    // How far the action came: what it did not reach is dropped however it ended.
    auto reached = std::make_shared<qsizetype>(0);
    const std::shared_ptr<RouteReport> report = options.report;
    const auto dropRest = [this, routes, reached, report](const QString &why) {
        for (qsizetype i = *reached; i < routes.size(); ++i)
            settleRoute(routes[i], {RouteOutcome::Skipped, why}, report.get());
        *reached = routes.size();
        if (report)
            FinishReport(*report);
    };
    const auto run = [this, routes, options, reached]() -> Task<void> {
        const bool wasRemote = m_engine.RemoteClick();
        m_engine.setRemoteClick(options.remote);
        if (options.bulk)
            setBulkRouting(true);
        try {
            for (; *reached < routes.size() && !m_stopRequested; ++*reached) {
                const RouteRequest &route = routes[*reached];
                const RouteEnd end = co_await routeOne(route, options.owner);
                settleRoute(route, end, options.report.get());
            }
        } catch (...) {
            m_engine.setRemoteClick(wasRemote);
            if (options.bulk)
                setBulkRouting(false);
            throw;
        }
        m_engine.setRemoteClick(wasRemote);
        if (options.bulk)
            setBulkRouting(false);
    };
    const auto ended = [dropRest, done](const ActionQueue::Completion &completion) {
        dropRest(completion.reason.isEmpty() ? QStringLiteral("not sent") : completion.reason);
        if (done)
            done(completion);
    };
    if (m_actions.Submit(label, ActionQueue::Needs::Line, run, ended) !=
        ActionQueue::Outcome::Refused)
        return true;
    dropRest(QString::fromLatin1(ActionQueue::kQueueFull));
    return false;
}

bool AppCore::RetryFailed(const RouteReport &report, int owner)
{
    QList<RouteRequest> routes = report.failedRoutes();
    if (routes.isEmpty())
        return false;
    RouteOptions options;
    options.owner = owner;
    options.bulk = true;
    const QString title = report.title().endsWith(QStringLiteral(" (retry)"))
                              ? report.title()
                              : report.title() + QStringLiteral(" (retry)");
    options.report = std::make_shared<RouteReport>(title, int(routes.size()));
    return SubmitRoutes(title, std::move(routes), options);
}

void AppCore::FinishReport(const RouteReport &report)
{
    const QString line = report.resultLine();
    DebugLog().Log(line.toStdString(), {});
    m_link.SetErrMsg(line);
    emit routesReported(report);
}

int AppCore::LogicalOutputOf(const clsRouter &router, int physicalOutput) const
{
    const ViewOffsets start{};
    return Paired() ? m_matrix.cvLgMrxPhyToMat(physicalOutput, 0, router, start).output
                    : m_matrix.cvPhyOutToMat(physicalOutput, router, start);
}

QString AppCore::lockedText(int logicalOutput) const
{
    return QStringLiteral("Output %1 is locked by %2")
        .arg(logicalOutput + 1)
        .arg(m_locks.holderName(m_locks.holder(logicalOutput)));
}

bool AppCore::refusedByLock(int logicalOutput, int owner)
{
    if (!m_locks.lockedAgainst(logicalOutput, owner))
        return false;
    if (m_bulkRouting) {
        m_lockedSkipped << QString::number(logicalOutput + 1);
        return true;
    }
    platform().beep();
    m_link.SetErrMsg(lockedText(logicalOutput));
    return true;
}

void AppCore::LockOutput(int logicalOutput)
{
    m_actions.Submit(QStringLiteral("Lock output"), ActionQueue::Needs::Nothing,
                     [this, logicalOutput] {
                         if (!m_locks.lock(logicalOutput, OutputLocks::kThisComputer))
                             m_link.SetErrMsg(lockedText(logicalOutput));
                     });
}

void AppCore::UnlockOutput(int logicalOutput)
{
    m_actions.Submit(QStringLiteral("Unlock output"), ActionQueue::Needs::Nothing,
                     [this, logicalOutput] { m_locks.forceUnlock(logicalOutput); });
}

void AppCore::RouteCell(int cell, bool remote)
{
    const PhysicalCrosspoint crosspoint = CellCrosspoint(cell);
    // The router is looked up again when the action runs: a configuration loaded meanwhile
    // may have replaced it.
    const int frame = crosspoint.router ? crosspoint.router->FrameAddress() : -1;
    const RouteRequest route{frame, crosspoint.output, crosspoint.input, m_currentLayer};
    // In take mode a click only presets; what a router reports itself has happened anyway.
    if (m_presets.enabled() && !remote) {
        if (const int levels = truthLevels(route)) {
            m_presets.add({route.frameAddress, route.output, route.input, levels});
        } else {
            platform().beep();
            m_link.SetErrMsg(QString::fromLatin1(kUnassigned));
        }
        return;
    }
    RouteOptions options;
    options.remote = remote;
    if (remote)
        options.owner = kAnyOwner;
    SubmitRoutes(QStringLiteral("Function imgMatrix_Click"), {route}, options);
}

void AppCore::Take()
{
    QList<RouteRequest> routes;
    for (const TakePresets::Preset &preset : m_presets.all())
        routes.append({preset.frameAddress, preset.output, preset.input, preset.levels});
    if (routes.isEmpty())
        return;
    RouteOptions options;
    options.bulk = true;
    options.report = std::make_shared<RouteReport>(QStringLiteral("Take"), int(routes.size()));
    if (SubmitRoutes(QStringLiteral("Take"), std::move(routes), options))
        m_presets.clear();
}

void AppCore::RouteInputToAll(int viewRow)
{
    QList<RouteRequest> routes;
    for (int o = 0; o <= m_matrix.MaxOutput(); ++o) {
        const PhysicalCrosspoint c = BulkCrosspoint(o, viewRow);
        routes.append(
            {c.router ? c.router->FrameAddress() : -1, c.output, c.input, m_currentLayer});
    }
    RouteOptions options;
    options.bulk = true;
    SubmitRoutes(QStringLiteral("Function imgMIn_Click"), std::move(routes), options);
}

void AppCore::UpdateMatrix()
{
    m_actions.Submit(QStringLiteral("Sub cmdUpdate_Click"), ActionQueue::Needs::Line,
                     [this] { m_poller.UpdateMatrix(); });
}

bool AppCore::RunOnLine(const QString &label, ActionQueue::Action action, ActionQueue::Done done)
{
    return m_actions.Submit(label, ActionQueue::Needs::Line, std::move(action), std::move(done)) !=
           ActionQueue::Outcome::Refused;
}

void AppCore::LoadConfigurationAction()
{
    m_actions.Submit(QStringLiteral("Sub mnuLoadConfig_Click"), ActionQueue::Needs::Nothing,
                     [this] {
                         LoadConfiguration();
                         emit configurationReplaced();
                     });
}

void AppCore::LoadConfigurationFrom(const std::string &path)
{
    m_actions.Submit(QStringLiteral("Sub mnuLoadConfig_Click"), ActionQueue::Needs::Nothing,
                     [this, path] {
                         std::string loaded = path;
                         ConfigLoad(loaded, false, m_config);
                         m_configFromFile = true;
                         emit configurationReplaced();
                     });
}

void AppCore::SaveConfigurationAction(bool quiet)
{
    m_actions.Submit(quiet ? QStringLiteral("Sub mnuSaveConfig_Click")
                           : QStringLiteral("Sub mnuSaveConfigAs_Click"),
                     ActionQueue::Needs::Nothing, [this, quiet] { SaveConfiguration(quiet); });
}

void AppCore::ApplySetup(std::function<void(Configuration &)> writer)
{
    m_actions.Submit(QStringLiteral("Sub mnuSetup_Click"), ActionQueue::Needs::Nothing,
                     [this, writer = std::move(writer)] {
                         writer(m_config);
                         emit configurationReplaced();
                     });
}

void AppCore::ImportNamesAction(const QString &path)
{
    m_actions.Submit(
        QStringLiteral("Sub mnuImportNames_Click"), ActionQueue::Needs::Nothing, [this, path] {
            QFile file(path);
            // Far above 256 names; a larger file is no names file and is not read.
            constexpr qint64 kMaxBytes = 1 << 20;
            if (!file.open(QIODevice::ReadOnly))
                throw RuntimeError("Cannot read " + path.toStdString() + ": " +
                                   file.errorString().toStdString());
            const QByteArray bytes = file.read(kMaxBytes + 1);
            if (file.error() != QFileDevice::NoError)
                throw RuntimeError("Cannot read " + path.toStdString() + ": " +
                                   file.errorString().toStdString());
            if (bytes.size() > kMaxBytes)
                throw RuntimeError("The file is larger than 1 MiB, so it is no names file: " +
                                   path.toStdString());
            NameTransfer::ImportResult result =
                NameTransfer::apply(*this, std::string_view(bytes.constData(), bytes.size()));
            const std::string summary =
                NameTransfer::summary(QFileInfo(path).fileName().toStdString(), result);
            DebugLog().Log(summary, {"Import names"});
            setImportUndo(std::move(result.replaced));
            emit namesChanged();
            platform().messageBox(summary, "Import Names", MessageButtons::Ok,
                                  MessageIcon::Information);
        });
}

void AppCore::ExportNamesAction(const QString &path)
{
    m_actions.Submit(QStringLiteral("Sub mnuExportNames_Click"), ActionQueue::Needs::Nothing,
                     [this, path] {
                         const std::string text = NamesCsv::write(NameTransfer::rows(*this));
                         // Written beside the target and renamed over it, so a failure keeps the
                         // old file.
                         QSaveFile file(path);
                         if (!file.open(QIODevice::WriteOnly) ||
                             file.write(text.data(), qint64(text.size())) != qint64(text.size()) ||
                             !file.commit())
                             throw RuntimeError("Cannot write " + path.toStdString() + ": " +
                                                file.errorString().toStdString());
                     });
}

void AppCore::UndoImportAction()
{
    m_actions.Submit(QStringLiteral("Sub mnuUndoImport_Click"), ActionQueue::Needs::Nothing,
                     [this] {
                         NameTransfer::undo(*this, m_importUndo);
                         setImportUndo({});
                         emit namesChanged();
                     });
}

void AppCore::setImportUndo(std::vector<NameTransfer::Replaced> replaced)
{
    const bool could = CanUndoImport();
    m_importUndo = std::move(replaced);
    if (could != CanUndoImport())
        emit canUndoImportChanged(CanUndoImport());
}

std::string AppCore::FamilyLabel() const
{
    // Until a configuration was loaded or accepted there is no model to name.
    const auto family = m_config.settings.ConfigLoaded
                            ? RouterCatalog::familyLabel(m_config.settings.CurrentRouterType)
                            : std::string_view();
    return std::string(family.empty() ? kDefaultFamily : family);
}

PhysicalPort AppCore::NameOwnerAt(Side side, int logical) const
{
    // The names panels' rule, counted from the start of the matrix.
    const ViewOffsets start{};
    if (side == Side::Input)
        return Paired() ? m_matrix.cvMatInToNameIn(logical, start)
                        : m_matrix.cvMatInToPhy1(logical, start);
    return Paired() ? m_matrix.cvMatOutToNameOut(logical, start)
                    : m_matrix.cvMatOutToPhy1(logical, start);
}

std::string AppCore::NameTextAt(Side side, int logical) const
{
    const PhysicalPort owner = NameOwnerAt(side, logical);
    if (!owner.router || owner.port < 0)
        return std::string(kNotOwned);
    return side == Side::Input ? owner.router->RouterInName(owner.port)
                               : owner.router->RouterOutName(owner.port);
}

PhysicalCrosspoint AppCore::LogicalCrosspoint(int logicalOutput, int logicalInput) const
{
    const ViewOffsets start{};
    if (Paired()) {
        if (!inMatrix(logicalOutput, m_matrix.MaxOutput()) ||
            !inMatrix(logicalInput, m_matrix.MaxInput()))
            return {};
        return m_matrix.cvLgMrxMapToPhy(logicalOutput, logicalInput);
    }
    const PhysicalPort output = m_matrix.cvMatOutToPhy1(logicalOutput, start);
    return {output.router, output.port, m_matrix.cvMatInToPhy2(logicalInput, output.router, start)};
}

int AppCore::RoutedInputAt(int logicalOutput) const
{
    const PhysicalCrosspoint owner = LogicalCrosspoint(logicalOutput, 0);
    if (!owner.router || owner.output < 0)
        return -1;
    const int video = Marks(*owner.router, owner.output, ViewOffsets{}).videoRow;
    return video >= 0 ? video : -1;
}

PhysicalPort AppCore::inputNameOwner(int viewRow) const
{
    return NameOwnerAt(Side::Input, viewRow + m_offsets.input);
}

PhysicalPort AppCore::outputNameOwner(int viewColumn) const
{
    return NameOwnerAt(Side::Output, viewColumn + m_offsets.output);
}

std::string AppCore::InputNameText(int viewRow) const
{
    return NameTextAt(Side::Input, viewRow + m_offsets.input);
}

std::string AppCore::OutputNameText(int viewColumn) const
{
    return NameTextAt(Side::Output, viewColumn + m_offsets.output);
}

void AppCore::CommitInputName(int viewRow, std::string name)
{
    commitName(Side::Input, inputNameOwner(viewRow), std::move(name));
}

void AppCore::CommitOutputName(int viewColumn, std::string name)
{
    commitName(Side::Output, outputNameOwner(viewColumn), std::move(name));
}

void AppCore::commitName(Side side, PhysicalPort owner, std::string name)
{
    // Nothing is stored for a number no router owns. The port is the one shown when the name
    // was typed, even if the view scrolls before the action's turn comes.
    if (!owner.router || owner.port < 0)
        return;
    const int frame = owner.router->FrameAddress();
    const int port = owner.port;
    const QString label = side == Side::Input ? QStringLiteral("Function txtIn_LostFocus")
                                              : QStringLiteral("Function txtOut_LostFocus");
    m_actions.Submit(label, ActionQueue::Needs::Nothing,
                     [this, side, frame, port, name = std::move(name)]() mutable {
                         if (clsRouter *router = m_config.routers.at(frame))
                             StoreName(*router, side, port, std::move(name));
                         emit namesChanged();
                     });
}

std::string AppCore::StoreName(clsRouter &router, Side side, int port, std::string name)
{
    const bool input = side == Side::Input;
    makeUnique(name, port, [&router, input](const std::string &n) {
        return input ? router.InIDFromName(n) : router.OutIDFromName(n);
    });
    if (input)
        router.SetRouterInName(port, name);
    else
        router.SetRouterOutName(port, name);
    return name;
}

bool AppCore::LoadConfiguration()
{
    std::string path;
    ConfigLoad(path, true, m_config);
    m_configFromFile = true;
    return !path.empty() && m_config.settings.ConfigFilePath == path;
}

void AppCore::SaveConfiguration(bool quiet)
{
    std::string path;
    ConfigSave(path, quiet, m_config);
}

void AppCore::SaveOnExit()
{
    std::string path = DefaultConfigPath();
    const Settings &settings = m_config.settings;
    const std::string &target = settings.ConfigFilePath.empty() ? path : settings.ConfigFilePath;
    // Without a configuration of this run the file holds the operator's last one; the
    // program's start-up defaults must not replace it.
    if (settings.ConfigLoaded || !PathExists(target))
        ConfigSave(path, true, m_config);
    else
        DebugLog().Log("Configuration left unsaved: none was loaded or accepted", {target});
    m_link.CloseCommPort();
}

} // namespace corvantis
