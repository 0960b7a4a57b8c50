#include "web/WebState.h"

#include "config/RouterCatalog.h"
#include "core/AppCore.h"

#include <QDateTime>
#include <QJsonArray>

namespace corvantis {

namespace {

// The parts whose entries are sent one by one when they change.
constexpr const char *kListed[] = {"inputs", "outputs", "routes", "locks"};
// A summary names at most this many routes; a page has no use for more.
constexpr int kMaxProblems = 256;

QString stateName(CrosspointTruth::State state)
{
    switch (state) {
    case CrosspointTruth::State::Pending:
        return QStringLiteral("pending");
    case CrosspointTruth::State::Failed:
        return QStringLiteral("failed");
    case CrosspointTruth::State::Stale:
        return QStringLiteral("stale");
    case CrosspointTruth::State::Confirmed:
        break;
    }
    return QStringLiteral("confirmed");
}

QString resultName(RouteReport::Result result)
{
    switch (result) {
    case RouteReport::Result::Failed:
        return QStringLiteral("failed");
    case RouteReport::Result::Skipped:
        return QStringLiteral("skipped");
    case RouteReport::Result::Confirmed:
        break;
    }
    return QStringLiteral("confirmed");
}

QJsonObject level(int input, const CrosspointTruth::Cell &cell, int pendingInput)
{
    QJsonObject level{{"input", input >= 0 ? input : -1}, {"state", stateName(cell.state)}};
    if (cell.state == CrosspointTruth::State::Pending)
        level.insert("asked", pendingInput >= 0 ? pendingInput : -1);
    if (cell.state == CrosspointTruth::State::Failed) {
        level.insert("why", cell.reason);
        level.insert("at", cell.failedAt.toMSecsSinceEpoch());
    }
    return level;
}

QJsonArray names(const AppCore &core, AppCore::Side side, int count)
{
    QJsonArray list;
    for (int n = 0; n < count; ++n)
        list.append(QString::fromStdString(core.NameTextAt(side, n)));
    return list;
}

} // namespace

WebState::WebState(const AppCore &core) : m_core(core)
{
    m_line = core.link().isOpen() ? QStringLiteral("open") : QStringLiteral("closed");
}

QJsonValue WebState::route(int output) const
{
    const PhysicalCrosspoint owner = m_core.LogicalCrosspoint(output, 0);
    if (!owner.router || owner.output < 0)
        return QJsonValue::Null;
    AppCore::ColumnMarks marks;
    try {
        marks = m_core.Marks(*owner.router, owner.output, ViewOffsets{});
    } catch (const std::exception &) {
        return QJsonValue::Null;
    }
    return QJsonObject{{"video", level(marks.videoRow, marks.video, marks.pendingVideoRow)},
                       {"audio", level(marks.audioRow, marks.audio, marks.pendingAudioRow)}};
}

QJsonValue WebState::lock(int output) const
{
    const int holder = m_core.locks().holder(output);
    if (holder == OutputLocks::kNobody)
        return QJsonValue::Null;
    return QJsonObject{{"owner", holder}, {"name", m_core.locks().holderName(holder)}};
}

QJsonObject WebState::whole() const
{
    const int inputs = m_core.matrix().MaxInput() + 1;
    const int outputs = m_core.matrix().MaxOutput() + 1;
    QJsonObject state;
    state.insert("serverTime", QDateTime::currentMSecsSinceEpoch());
    state.insert("matrix",
                 QJsonObject{{"title", QString::fromStdString(AppCore::RouterLabel(
                                           m_core.FamilyLabel(), inputs - 1, outputs - 1))},
                             {"inputs", inputs},
                             {"outputs", outputs},
                             {"levels", m_core.matrix().AnyAudioBreakaway()}});
    state.insert("inputs", names(m_core, AppCore::Side::Input, inputs));
    state.insert("outputs", names(m_core, AppCore::Side::Output, outputs));
    QJsonArray routes;
    QJsonArray locks;
    for (int o = 0; o < outputs; ++o) {
        routes.append(route(o));
        locks.append(lock(o));
    }
    state.insert("routes", routes);
    state.insert("locks", locks);

    QJsonArray routers;
    for (const int frame : m_core.configuredRouters()) {
        const RouterHealth::Router health = m_core.health().at(frame);
        const clsRouter *router = m_core.config().routers.at(frame);
        const RouterModel *model = router ? RouterCatalog::model(router->RouterType()) : nullptr;
        routers.append(
            QJsonObject{{"frame", frame},
                        {"model", model ? QString::fromUtf8(model->modelName.data(),
                                                            qsizetype(model->modelName.size()))
                                        : QString()},
                        {"state", RouterHealth::stateText(health.state)},
                        {"stale", m_core.health().stale(frame)},
                        {"resyncing", health.resyncing},
                        {"lastAnswer", health.lastAnswer.isValid()
                                           ? QJsonValue(health.lastAnswer.toMSecsSinceEpoch())
                                           : QJsonValue::Null},
                        {"unanswered", health.unanswered},
                        {"resends", health.resends}});
    }
    state.insert("routers", routers);
    state.insert("line",
                 QJsonObject{{"state", m_line}, {"address", m_core.link().PortAddressText()}});
    state.insert("message", m_message);
    QJsonArray salvos;
    for (const Salvos::Salvo &salvo : m_core.salvos().all())
        salvos.append(QJsonObject{{"name", salvo.name}, {"routes", int(salvo.routes.size())}});
    state.insert("salvos", salvos);
    state.insert("batch", m_batch);
    return state;
}

QJsonObject WebState::changes()
{
    const QJsonObject now = whole();
    QJsonObject changed;
    const bool sameMatrix = now.value("matrix") == m_seen.value("matrix");
    for (auto it = now.begin(); it != now.end(); ++it) {
        const QString key = it.key();
        if (key == QLatin1String("serverTime"))
            continue;
        const bool listed =
            std::find(std::begin(kListed), std::end(kListed), key) != std::end(kListed);
        if (!listed || !sameMatrix) {
            if (it.value() != m_seen.value(key))
                changed.insert(key, it.value());
            continue;
        }
        const QJsonArray before = m_seen.value(key).toArray();
        const QJsonArray after = it.value().toArray();
        QJsonObject entries;
        for (qsizetype n = 0; n < after.size(); ++n)
            if (n >= before.size() || after[n] != before[n])
                entries.insert(QString::number(n), after[n]);
        if (!entries.isEmpty())
            changed.insert(key, entries);
    }
    m_seen = now;
    if (!changed.isEmpty())
        changed.insert("serverTime", now.value("serverTime"));
    return changed;
}

void WebState::lineOpened(bool open)
{
    m_line = open ? QStringLiteral("open") : QStringLiteral("closed");
}

void WebState::lineLost()
{
    m_line = QStringLiteral("lost");
}

void WebState::showMessage(const QString &text)
{
    if (text.isEmpty())
        return;
    m_message = QJsonObject{
        {"text", text}, {"n", ++m_messages}, {"at", QDateTime::currentMSecsSinceEpoch()}};
}

QJsonObject WebState::batchJson(const RouteReport &report, bool ended) const
{
    QJsonObject batch{{"id", m_batchId},       {"title", report.title()},
                      {"done", report.done()}, {"total", report.total()},
                      {"running", !ended},     {"progress", report.progressText()}};
    if (!ended)
        return batch;
    batch.insert("result", report.resultLine());
    batch.insert("confirmed", report.count(RouteReport::Result::Confirmed));
    batch.insert("failed", report.count(RouteReport::Result::Failed));
    batch.insert("skipped", report.count(RouteReport::Result::Skipped));
    QJsonArray problems;
    for (const RouteReport::Entry &entry : report.entries()) {
        if (entry.result == RouteReport::Result::Confirmed || problems.size() >= kMaxProblems)
            continue;
        problems.append(QJsonObject{{"output", entry.outputNumber - 1},
                                    {"input", entry.inputNumber - 1},
                                    {"result", resultName(entry.result)},
                                    {"why", entry.why}});
    }
    batch.insert("problems", problems);
    return batch;
}

void WebState::batchProgress(const RouteReport &report)
{
    if (!m_batchRunning) {
        ++m_batchId;
        m_batchRunning = true;
        m_ended.reset();
    }
    m_batch = batchJson(report, false);
}

void WebState::batchEnded(const RouteReport &report)
{
    if (!m_batchRunning)
        ++m_batchId;
    m_batchRunning = false;
    m_ended = report;
    m_batch = batchJson(report, true);
}

const RouteReport *WebState::endedBatch(int id) const
{
    return m_ended && id == m_batchId ? &*m_ended : nullptr;
}

} // namespace corvantis
