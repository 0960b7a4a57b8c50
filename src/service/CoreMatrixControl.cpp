#include "service/CoreMatrixControl.h"

#include "core/AppCore.h"
#include "model/NameRule.h"

namespace corvantis {

namespace {

AppCore::Side coreSide(MatrixControl::Side side)
{
    return side == MatrixControl::Side::Input ? AppCore::Side::Input : AppCore::Side::Output;
}

} // namespace

CoreMatrixControl::CoreMatrixControl(AppCore &core, QObject *parent)
    : MatrixControl(parent), m_core(core)
{
    connect(&m_core, &AppCore::routeStatesChanged, this, [this] { announceRoutingChanges(); });
    connect(&m_core.engine(), &RoutingEngine::statusApplied, this,
            [this] { announceRoutingChanges(); });
    connect(&m_core, &AppCore::namesChanged, this, &CoreMatrixControl::announceLabelChanges);
    connect(&m_core, &AppCore::configurationReplaced, this, [this] {
        m_announcedRouting.clear();
        m_announcedInputs.clear();
        m_announcedOutputs.clear();
        emit deviceChanged();
    });
}

int CoreMatrixControl::outputCount() const
{
    return m_core.matrix().MaxOutput() + 1;
}

int CoreMatrixControl::inputCount() const
{
    return m_core.matrix().MaxInput() + 1;
}

MatrixControl::DeviceFacts CoreMatrixControl::deviceFacts() const
{
    DeviceFacts facts;
    // A panel sees the routers as one: named as the window names them, by family and the
    // combined size, not by the catalog model of whichever router the file lists last.
    facts.modelName = QString::fromStdString(
        AppCore::RouterLabel(m_core.FamilyLabel(), inputCount() - 1, outputCount() - 1));
    facts.friendlyName = facts.modelName;
    // Stable for one line: the configuration it is run from.
    facts.uniqueId =
        QString::number(qHash(QString::fromStdString(m_core.settings().ConfigFilePath)), 16)
            .toUpper();
    facts.inputs = inputCount();
    facts.outputs = outputCount();
    return facts;
}

QString CoreMatrixControl::label(Side side, int index) const
{
    return QString::fromStdString(m_core.NameTextAt(coreSide(side), index));
}

bool CoreMatrixControl::isOwned(Side side, int index) const
{
    const int count = side == Side::Input ? inputCount() : outputCount();
    if (index < 0 || index >= count)
        return false;
    const PhysicalPort owner = m_core.NameOwnerAt(coreSide(side), index);
    return owner.router && owner.port >= 0;
}

int CoreMatrixControl::routedInput(int output) const
{
    return output >= 0 && output < outputCount() ? m_core.RoutedInputAt(output) : -1;
}

bool CoreMatrixControl::canRoute(int output, int input) const
{
    if (!isOwned(Side::Output, output) || !isOwned(Side::Input, input))
        return false;
    const PhysicalCrosspoint crosspoint = m_core.LogicalCrosspoint(output, input);
    return crosspoint.router && crosspoint.output >= 0 && crosspoint.input >= 0;
}

QString CoreMatrixControl::labelRefusal(const QString &text) const
{
    return IsAcceptableName(text.toStdString()) ? QString() : QString::fromLatin1(kNameRefusal);
}

bool CoreMatrixControl::requestRoute(const QList<Route> &routes, int clientId)
{
    QList<int> requested;
    QList<AppCore::RouteRequest> physical;
    for (const Route &route : routes) {
        requested << route.first;
        const PhysicalCrosspoint c = m_core.LogicalCrosspoint(route.first, route.second);
        physical.append(
            {c.router ? c.router->FrameAddress() : -1, c.output, c.input, AppCore::kAllLevels});
    }
    // The core refuses an output the window locked since the request was accepted.
    AppCore::RouteOptions options;
    options.owner = clientId;
    // However it ended, every requested output is told again, so a route the routers refused
    // or that was cancelled shows as the routing that holds.
    return m_core.SubmitRoutes(
        QStringLiteral("Network route"), std::move(physical), options,
        [this, requested](const ActionQueue::Completion &) { announceRoutingChanges(requested); });
}

bool CoreMatrixControl::requestRename(Side side, const QList<Label> &labels, int)
{
    return m_core.actions().Submit(
               QStringLiteral("Network rename"), ActionQueue::Needs::Nothing, [this, side, labels] {
                   for (const Label &label : labels) {
                       const PhysicalPort owner = m_core.NameOwnerAt(coreSide(side), label.first);
                       if (owner.router && owner.port >= 0)
                           AppCore::StoreName(*owner.router, coreSide(side), owner.port,
                                              label.second.toStdString());
                   }
                   emit m_core.namesChanged();
                   emit namesStored();
               }) != ActionQueue::Outcome::Refused;
}

void CoreMatrixControl::announceRoutingChanges(QList<int> alwaysAnnounce)
{
    const int outputs = outputCount();
    m_announcedRouting.resize(outputs, -2);
    for (int o = 0; o < outputs; ++o) {
        const int input = routedInput(o);
        if (input != m_announcedRouting[o]) {
            m_announcedRouting[o] = input;
            if (!alwaysAnnounce.contains(o))
                alwaysAnnounce << o;
        }
    }
    if (!alwaysAnnounce.isEmpty())
        emit routingChanged(alwaysAnnounce);
}

void CoreMatrixControl::announceLabelChanges()
{
    const auto changed = [this](Side side, QVector<QString> &announced, int count) {
        QList<int> indexes;
        announced.resize(count);
        for (int i = 0; i < count; ++i) {
            const QString now = label(side, i);
            if (now != announced[i]) {
                announced[i] = now;
                indexes << i;
            }
        }
        return indexes;
    };
    const QList<int> inputs = changed(Side::Input, m_announcedInputs, inputCount());
    const QList<int> outputs = changed(Side::Output, m_announcedOutputs, outputCount());
    if (!inputs.isEmpty() || !outputs.isEmpty())
        emit labelsChanged(inputs, outputs);
}

} // namespace corvantis
