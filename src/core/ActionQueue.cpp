#include "core/ActionQueue.h"

#include "link/SerialLink.h"
#include "util/ReportFailure.h"
#include "util/clsDebug.h"

#include <QTimer>
#include <exception>
#include <memory>

namespace corvantis {

namespace {

Task<void> runPlain(std::function<void()> action)
{
    action();
    co_return;
}

void tell(const ActionQueue::Done &done, const ActionQueue::Completion &completion)
{
    if (done)
        done(completion);
}

} // namespace

ActionQueue::ActionQueue(SerialLink &link, QObject *parent) : QObject(parent), m_link(link)
{
    connect(&m_link, &SerialLink::lineFree, this, &ActionQueue::scheduleDrain);
    // The actions that need the line can never run once it went away.
    connect(&m_link, &SerialLink::portLost, this,
            [this] { CancelWaiting(Needs::Line, QStringLiteral("The line is gone")); });
}

ActionQueue::~ActionQueue()
{
    // The running task goes before the link it may be waiting on.
    if (m_current)
        m_current->task.reset();
}

bool ActionQueue::mayRunNow() const
{
    return !Running() && !m_link.CommBusy();
}

ActionQueue::Outcome ActionQueue::submitPlain(const QString &label, Needs needs,
                                              std::function<void()> action, Done done)
{
    return Submit(
        label, needs, [action = std::move(action)] { return runPlain(action); }, std::move(done));
}

ActionQueue::Outcome ActionQueue::Submit(const QString &label, Needs needs, Action action,
                                         Done done)
{
    if (m_waiting.empty() && mayRunNow()) {
        run({label, needs, std::move(action), std::move(done)});
        return Outcome::Ran;
    }
    if (Waiting() >= kMaxWaiting) {
        m_link.SetErrMsg(QString::fromLatin1(kQueueFull));
        DebugLog().Log("Action refused, queue full", {label.toStdString()});
        return Outcome::Refused;
    }
    const bool wasIdle = Idle();
    m_waiting.push_back({label, needs, std::move(action), std::move(done)});
    DebugLog().Log("Action waits", {label.toStdString()});
    m_link.SetErrMsg(QStringLiteral("Waiting for the router..."));
    if (wasIdle)
        emit idleChanged(false);
    scheduleDrain();
    return Outcome::Queued;
}

void ActionQueue::run(Pending pending)
{
    const bool wasIdle = Idle();
    m_current.emplace();
    m_current->pending = std::move(pending);
    if (wasIdle)
        emit idleChanged(false);
    try {
        // The action object stays alive in m_current while its task runs: a lambda's
        // captures live there, not in the task.
        m_current->task = m_current->pending.action();
    } catch (const std::exception &error) {
        ReportFailure(m_current->pending.label.toStdString(), error.what());
        const Done done = std::move(m_current->pending.done);
        m_current.reset();
        tell(done, {Completion::Kind::Failed, QString::fromUtf8(error.what())});
        finished();
        return;
    }
    m_current->task.start([this] {
        Completion completion;
        try {
            m_current->task.result();
        } catch (const std::exception &error) {
            // An unexpected failure is reported under the action's name; the queue goes on.
            ReportFailure(m_current->pending.label.toStdString(), error.what());
            completion = {Completion::Kind::Failed, QString::fromUtf8(error.what())};
        }
        // The task is still on the stack here; it is freed from the event loop.
        auto ended = std::make_shared<Current>(std::move(*m_current));
        m_current.reset();
        QTimer::singleShot(0, this, [ended] {});
        tell(ended->pending.done, completion);
        finished();
    });
}

void ActionQueue::finished()
{
    if (Idle())
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
    run(std::move(next));
}

int ActionQueue::cancelWaiting(const std::function<bool(const Pending &)> &which,
                               const QString &reason)
{
    std::deque<Pending> cancelled;
    for (auto it = m_waiting.begin(); it != m_waiting.end();) {
        if (which(*it)) {
            cancelled.push_back(std::move(*it));
            it = m_waiting.erase(it);
        } else {
            ++it;
        }
    }
    for (const Pending &pending : cancelled)
        tell(pending.done, {Completion::Kind::Cancelled, reason});
    return static_cast<int>(cancelled.size());
}

int ActionQueue::CancelWaiting(Needs needs, const QString &why)
{
    const int cancelled =
        cancelWaiting([needs](const Pending &p) { return p.needs == needs; }, why);
    if (cancelled == 0)
        return 0;
    const QString text = QStringLiteral("%1: %2 waiting actions cancelled").arg(why).arg(cancelled);
    m_link.SetErrMsg(text);
    DebugLog().Log(text.toStdString());
    if (Idle())
        emit idleChanged(true);
    return cancelled;
}

int ActionQueue::abandonCurrent(const QString &reason)
{
    if (!m_current)
        return 0;
    Current current = std::move(*m_current);
    m_current.reset();
    current.task.reset();
    tell(current.pending.done, {Completion::Kind::Cancelled, reason});
    return 1;
}

int ActionQueue::Stop(const QString &reason)
{
    int cancelled = abandonCurrent(reason);
    while (!m_waiting.empty()) {
        Pending next = std::move(m_waiting.front());
        m_waiting.pop_front();
        if (next.needs == Needs::Line) {
            tell(next.done, {Completion::Kind::Cancelled, reason});
            ++cancelled;
            continue;
        }
        // What needs nothing of the routers ends right here; should it wait all the same, it
        // is abandoned too.
        run(std::move(next));
        cancelled += abandonCurrent(reason);
    }
    if (cancelled > 0)
        DebugLog().Log(
            QStringLiteral("%1 actions cancelled: %2").arg(cancelled).arg(reason).toStdString());
    emit idleChanged(true);
    return cancelled;
}

int ActionQueue::CancelAll(const QString &reason)
{
    int cancelled = abandonCurrent(reason);
    cancelled += cancelWaiting([](const Pending &) { return true; }, reason);
    if (cancelled > 0)
        DebugLog().Log(
            QStringLiteral("%1 actions cancelled: %2").arg(cancelled).arg(reason).toStdString());
    emit idleChanged(true);
    return cancelled;
}

} // namespace corvantis
