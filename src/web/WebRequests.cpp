#include "web/WebRequests.h"

#include "core/AppCore.h"
#include "web/WebState.h"

#include <QJsonArray>
#include <cmath>
#include <optional>

namespace corvantis {

namespace {

const QString kQueueFull = QString::fromLatin1(ActionQueue::kQueueFull);

// A JSON number that is a whole number from min to max.
std::optional<int> whole(const QJsonValue &value, int min, int max)
{
    if (!value.isDouble())
        return std::nullopt;
    const double number = value.toDouble();
    if (std::floor(number) != number || number < min || number > max)
        return std::nullopt;
    return int(number);
}

QString lockedText(const AppCore &core, int output)
{
    return QStringLiteral("Output %1 is locked by %2")
        .arg(output + 1)
        .arg(core.locks().holderName(core.locks().holder(output)));
}

} // namespace

WebRequests::WebRequests(AppCore &core, const WebState &state) : m_core(core), m_state(state) {}

bool WebRequests::routes(const QString &verb)
{
    static const QStringList kRouting{QStringLiteral("route"), QStringLiteral("take"),
                                      QStringLiteral("fire"),  QStringLiteral("retry"),
                                      QStringLiteral("lock"),  QStringLiteral("unlock")};
    return kRouting.contains(verb);
}

QString WebRequests::run(const QJsonObject &request, int owner)
{
    const QString verb = request.value("do").toString();
    if (verb == QLatin1String("route"))
        return route(request, owner);
    if (verb == QLatin1String("take"))
        return take(request, owner);
    if (verb == QLatin1String("fire"))
        return fire(request, owner);
    if (verb == QLatin1String("retry"))
        return retry(request, owner);
    if (verb == QLatin1String("lock") || verb == QLatin1String("unlock"))
        return lock(request, owner, verb == QLatin1String("lock"));
    return QStringLiteral("Unknown request \"%1\"").arg(verb.left(32));
}

int WebRequests::output(const QJsonValue &value, QString &why) const
{
    const std::optional<int> number = whole(value, 0, m_core.matrix().MaxOutput());
    const PhysicalCrosspoint owner =
        number ? m_core.LogicalCrosspoint(*number, 0) : PhysicalCrosspoint{};
    if (!number || !owner.router || owner.output < 0) {
        why = QStringLiteral("No such output");
        return -1;
    }
    return *number;
}

namespace {

struct Planned {
    RouteRequest route;
    int output = -1;
};

// The route a click on (output, input) makes on the level asked for; why not when there is
// no such crosspoint.
std::optional<Planned> plan(const AppCore &core, const QJsonObject &request, QString &why)
{
    const std::optional<int> output = whole(request.value("output"), 0, core.matrix().MaxOutput());
    const std::optional<int> input = whole(request.value("input"), 0, core.matrix().MaxInput());
    const std::optional<int> level =
        request.contains("level")
            ? whole(request.value("level"), AppCore::kVideo, AppCore::kAllLevels)
            : std::optional<int>(AppCore::kAllLevels);
    if (!output || !input || !level) {
        why = QStringLiteral("A route names an output, an input and a level (1 to 3)");
        return std::nullopt;
    }
    const PhysicalCrosspoint c = core.LogicalCrosspoint(*output, *input);
    if (!c.router || c.output < 0 || c.input < 0) {
        why = QStringLiteral("No crosspoint from input %1 to output %2")
                  .arg(*input + 1)
                  .arg(*output + 1);
        return std::nullopt;
    }
    // Without audio breakaway every route is made on all levels, as the window makes it.
    const int levels = core.matrix().AnyAudioBreakaway() ? *level : AppCore::kAllLevels;
    return Planned{{c.router->FrameAddress(), c.output, c.input, levels}, *output};
}

} // namespace

QString WebRequests::route(const QJsonObject &request, int owner)
{
    QString why;
    const std::optional<Planned> planned = plan(m_core, request, why);
    if (!planned)
        return why;
    if (m_core.locks().lockedAgainst(planned->output, owner))
        return lockedText(m_core, planned->output);
    AppCore::RouteOptions options;
    options.owner = owner;
    return m_core.SubmitRoutes(QStringLiteral("Web route"), {planned->route}, options) ? QString()
                                                                                       : kQueueFull;
}

QString WebRequests::take(const QJsonObject &request, int owner)
{
    const QJsonArray list = request.value("routes").toArray();
    if (list.isEmpty() || list.size() > kMaxTakeRoutes)
        return QStringLiteral("A take holds 1 to %1 routes").arg(kMaxTakeRoutes);
    QList<RouteRequest> routes;
    for (const QJsonValue &entry : list) {
        QString why;
        const std::optional<Planned> planned = plan(m_core, entry.toObject(), why);
        if (!planned)
            return why;
        routes.append(planned->route);
    }
    // Locked outputs are skipped and named in the summary, as the window's Take does.
    AppCore::RouteOptions options;
    options.owner = owner;
    options.bulk = true;
    options.report = std::make_shared<RouteReport>(QStringLiteral("Take"), int(routes.size()));
    return m_core.SubmitRoutes(QStringLiteral("Web take"), std::move(routes), options) ? QString()
                                                                                       : kQueueFull;
}

QString WebRequests::fire(const QJsonObject &request, int owner)
{
    const QString name = request.value("salvo").toString();
    if (!m_core.salvos().find(name))
        return QStringLiteral("There is no salvo \"%1\"").arg(name.left(64));
    return m_core.salvos().Fire(name, owner) ? QString() : kQueueFull;
}

QString WebRequests::retry(const QJsonObject &request, int owner)
{
    const std::optional<int> id = whole(request.value("batch"), 0, INT_MAX);
    const RouteReport *report = id ? m_state.endedBatch(*id) : nullptr;
    if (!report)
        return QStringLiteral("That summary is no longer the latest");
    if (report->failedRoutes().isEmpty())
        return QStringLiteral("Nothing failed");
    return m_core.RetryFailed(*report, owner) ? QString() : kQueueFull;
}

QString WebRequests::lock(const QJsonObject &request, int owner, bool locking)
{
    QString why;
    const int number = output(request.value("output"), why);
    if (number < 0)
        return why;
    // A page unlocks only its own locks; the window can release any.
    if (m_core.locks().lockedAgainst(number, owner))
        return lockedText(m_core, number);
    const auto outcome = m_core.actions().Submit(
        locking ? QStringLiteral("Web lock") : QStringLiteral("Web unlock"),
        ActionQueue::Needs::Nothing, [&core = m_core, number, owner, locking] {
            const bool done =
                locking ? core.locks().lock(number, owner) : core.locks().unlock(number, owner);
            if (!done)
                core.link().SetErrMsg(lockedText(core, number));
        });
    return outcome == ActionQueue::Outcome::Refused ? kQueueFull : QString();
}

} // namespace corvantis
