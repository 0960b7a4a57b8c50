#include "core/ActionQueue.h"

#include "link/SerialLink.h"
#include "util/ReportFailure.h"
#include "util/clsDebug.h"

#include <QTimer>
#include <exception>

namespace corvantis {

ActionQueue::ActionQueue(SerialLink &link, QObject *parent) : QObject(parent), m_link(link)
{
    connect(&m_link, &SerialLink::lineFree, this, &ActionQueue::scheduleDrain);
    connect(&m_link, &SerialLink::portLost, this, &ActionQueue::dropLineActions);
}

bool ActionQueue::mayRunNow() const
{
    return !m_running && !m_link.CommBusy();
}

ActionQueue::Outcome ActionQueue::Submit(const QString &label, Needs needs, Action action)
{
    if (m_waiting.empty() && mayRunNow()) {
        run(label, action);
        return Outcome::Ran;
    }
    if (Waiting() >= kMaxWaiting) {
        m_link.SetErrMsg(QStringLiteral("Too many actions waiting: this one was not done"));
        DebugLog().Log("Action refused, queue full", {label.toStdString()});
        return Outcome::Refused;
    }
    const bool wasIdle = Idle();
    m_waiting.push_back({label, needs, std::move(action)});
    DebugLog().Log("Action waits", {label.toStdString()});
    m_link.SetErrMsg(QStringLiteral("Waiting for the router..."));
    if (wasIdle)
        emit idleChanged(false);
    scheduleDrain();
    return Outcome::Queued;
}

void ActionQueue::run(const QString &label, const Action &action)
{
    const bool wasIdle = Idle();
    m_running = true;
    if (wasIdle)
        emit idleChanged(false);
    try {
        action();
    } catch (const std::exception &error) {
        // An unexpected failure is reported under the action's name; the queue goes on.
        ReportFailure(label.toStdString(), error.what());
    }
    m_running = false;
    if (m_waiting.empty())
        emit idleChanged(true);
    else
        scheduleDrain();
}

void ActionQueue::scheduleDrain()
{
    if (m_drainScheduled || m_waiting.empty())
        return;
    m_drainScheduled = true;
    // From the event loop, never from inside the stack of the action that just ended.
    QTimer::singleShot(0, this, &ActionQueue::drain);
}

void ActionQueue::drain()
{
    m_drainScheduled = false;
    // Still held: the next lineFree or the end of the running action brings us back.
    if (m_waiting.empty() || !mayRunNow())
        return;
    Pending next = std::move(m_waiting.front());
    m_waiting.pop_front();
    run(next.label, next.action);
}

void ActionQueue::dropLineActions()
{
    const auto before = m_waiting.size();
    std::erase_if(m_waiting, [](const Pending &p) { return p.needs == Needs::Line; });
    const auto dropped = static_cast<int>(before - m_waiting.size());
    if (dropped == 0)
        return;
    const QString text =
        QStringLiteral("The line is gone: %1 waiting actions cancelled").arg(dropped);
    m_link.SetErrMsg(text);
    DebugLog().Log(text.toStdString());
    if (Idle())
        emit idleChanged(true);
}

} // namespace corvantis
