#include "net/ChangeGatherer.h"

#include "core/OutputLocks.h"
#include "net/MatrixControl.h"

#include <algorithm>

namespace corvantis {

namespace {

QList<int> takeBelow(QSet<int> &pending, int count)
{
    QList<int> list;
    list.reserve(pending.size());
    for (const int n : std::as_const(pending)) {
        if (n >= 0 && n < count)
            list.append(n);
    }
    pending.clear();
    std::sort(list.begin(), list.end());
    return list;
}

} // namespace

ChangeGatherer::ChangeGatherer(MatrixControl &matrix, OutputLocks &locks,
                               std::function<bool()> wanted, QObject *parent)
    : QObject(parent), m_matrix(matrix), m_wanted(std::move(wanted))
{
    m_timer.setSingleShot(true);
    m_timer.setInterval(0);
    connect(&m_timer, &QTimer::timeout, this, &ChangeGatherer::handOn);
    connect(&matrix, &MatrixControl::routingChanged, this,
            [this](const QList<int> &outputs) { mark(m_routing, outputs); });
    connect(&matrix, &MatrixControl::labelsChanged, this,
            [this](const QList<int> &inputs, const QList<int> &outputs) {
                mark(m_inputLabels, inputs);
                mark(m_outputLabels, outputs);
            });
    connect(&matrix, &MatrixControl::deviceChanged, this, &ChangeGatherer::drop);
    connect(&locks, &OutputLocks::changed, this,
            [this](const QList<int> &outputs) { mark(m_locks, outputs); });
}

void ChangeGatherer::mark(QSet<int> &pending, const QList<int> &numbers)
{
    if (numbers.isEmpty() || !m_wanted())
        return;
    pending.unite(QSet<int>(numbers.begin(), numbers.end()));
    if (!m_timer.isActive())
        m_timer.start();
}

void ChangeGatherer::handOn()
{
    const MatrixControl::DeviceFacts facts = m_matrix.deviceFacts();
    Changes changes;
    changes.routing = takeBelow(m_routing, facts.outputs);
    changes.inputLabels = takeBelow(m_inputLabels, facts.inputs);
    changes.outputLabels = takeBelow(m_outputLabels, facts.outputs);
    changes.locks = takeBelow(m_locks, facts.outputs);
    emit gathered(changes);
}

// Sizes and names may all be different; clients learn the new matrix when they reconnect.
void ChangeGatherer::drop()
{
    m_timer.stop();
    m_routing.clear();
    m_inputLabels.clear();
    m_outputLabels.clear();
    m_locks.clear();
}

} // namespace corvantis
