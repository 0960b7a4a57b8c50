#include "core/OutputLocks.h"

namespace corvantis {

namespace {

bool inRange(int output)
{
    return output >= 0 && output < OutputLocks::kOutputs;
}

} // namespace

OutputLocks::OutputLocks(QObject *parent) : QObject(parent)
{
    m_holders.fill(kNobody);
}

int OutputLocks::holder(int output) const
{
    return inRange(output) ? m_holders[static_cast<std::size_t>(output)] : kNobody;
}

QString OutputLocks::holderName(int owner) const
{
    if (owner == kThisComputer)
        return QStringLiteral("this computer");
    return m_names.value(owner, QStringLiteral("network panel %1").arg(owner));
}

void OutputLocks::setOwnerName(int owner, const QString &name)
{
    if (name.isEmpty())
        m_names.remove(owner);
    else
        m_names.insert(owner, name);
}

bool OutputLocks::lockedAgainst(int output, int owner) const
{
    const int current = holder(output);
    return current != kNobody && current != owner;
}

bool OutputLocks::lock(int output, int owner)
{
    if (!inRange(output) || lockedAgainst(output, owner))
        return false;
    int &slot = m_holders[static_cast<std::size_t>(output)];
    if (slot != owner) {
        slot = owner;
        emit changed({output});
    }
    return true;
}

bool OutputLocks::unlock(int output, int owner)
{
    if (lockedAgainst(output, owner))
        return false;
    if (holder(output) == owner) {
        m_holders[static_cast<std::size_t>(output)] = kNobody;
        emit changed({output});
    }
    return true;
}

void OutputLocks::forceUnlock(int output)
{
    if (holder(output) == kNobody)
        return;
    m_holders[static_cast<std::size_t>(output)] = kNobody;
    emit changed({output});
}

void OutputLocks::releaseAll(int owner)
{
    QList<int> released;
    for (int o = 0; o < kOutputs; ++o) {
        if (m_holders[static_cast<std::size_t>(o)] == owner) {
            m_holders[static_cast<std::size_t>(o)] = kNobody;
            released.append(o);
        }
    }
    if (!released.isEmpty())
        emit changed(released);
}

} // namespace corvantis
