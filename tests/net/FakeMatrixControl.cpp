#include "FakeMatrixControl.h"

namespace corvantis::test {

FakeMatrixControl::Layout FakeMatrixControl::normalLayout()
{
    // Router 1 owns inputs 0-2 and outputs 0-1, router 2 input 5 and output 3.
    return {{"Corvantis 2 routers", "Studio A", "C0A800000001", 6, 4},
            {"Cam 1", "Cam 2", "Cam 3", "-", "-", "Tape"},
            {"Mon 1", "Mon 2", "-", "Rec"},
            {2, -1, -1, 5}};
}

FakeMatrixControl::Layout FakeMatrixControl::squareLayout(int count)
{
    Layout layout{{"Corvantis square", "Bench", "C0A800000003", count, count}, {}, {}, {}};
    for (int n = 0; n < count; ++n) {
        layout.inputLabels.append(QStringLiteral("In %1").arg(n));
        layout.outputLabels.append(QStringLiteral("Out %1").arg(n));
        layout.routes.append(n);
    }
    return layout;
}

FakeMatrixControl::FakeMatrixControl(const Layout &layout, QObject *parent)
    : MatrixControl(parent), m_layout(layout)
{
    m_actionTimer.setSingleShot(true);
    m_actionTimer.setTimerType(Qt::PreciseTimer);
    connect(&m_actionTimer, &QTimer::timeout, this, &FakeMatrixControl::runNext);
}

QString FakeMatrixControl::label(Side side, int index) const
{
    return const_cast<FakeMatrixControl *>(this)->labels(side).value(index, QStringLiteral("-"));
}

bool FakeMatrixControl::requestRoute(const QList<Route> &routes, int clientId)
{
    m_queue.append({clientId, routes});
    if (!m_actionTimer.isActive())
        m_actionTimer.start(routeTime);
    return true;
}

void FakeMatrixControl::runNext()
{
    const auto [clientId, routes] = m_queue.takeFirst();
    QList<int> outputs;
    for (const Route &route : routes) {
        routesRun.append({clientId, route});
        if (!failingOutputs.contains(route.first))
            m_layout.routes[route.first] = route.second;
        outputs.append(route.first);
    }
    emit routingChanged(outputs);
    if (!m_queue.isEmpty())
        m_actionTimer.start(routeTime);
}

// The names panels' "!" rule is the core's; the service test checks it.
bool FakeMatrixControl::requestRename(Side side, const QList<Label> &labels, int)
{
    QTimer::singleShot(0, this, [this, side, labels] {
        QList<int> changed;
        for (const auto &[index, name] : labels) {
            this->labels(side)[index] = name;
            changed.append(index);
        }
        emit labelsChanged(side == Side::Input ? changed : QList<int>(),
                           side == Side::Output ? changed : QList<int>());
    });
    return true;
}

void FakeMatrixControl::reportRoute(int output, int input)
{
    m_layout.routes[output] = input;
    emit routingChanged({output});
}

} // namespace corvantis::test
