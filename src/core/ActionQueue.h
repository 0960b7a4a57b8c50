#pragma once

#include "util/Task.h"

#include <QObject>
#include <QString>
#include <deque>
#include <functional>
#include <optional>
#include <type_traits>

namespace corvantis {

class SerialLink;

// The one path for operator actions: a click, a macro, a menu, a dialog's OK, a network
// request. One action runs at a time; its waits for the routers return to the event loop, and
// what arrives meanwhile waits its turn and runs in order once the action has ended and the
// line is free. Submitting answers at once: started, queued, or refused; whoever submitted is
// told later how the action ended.
class ActionQueue : public QObject {
    Q_OBJECT

public:
    // An action is a task; plain functions are wrapped by the overload of Submit.
    using Action = std::function<Task<void>()>;

    enum class Outcome { Ran, Queued, Refused };
    // Whether an action talks to the routers: those cannot run once the line is gone.
    enum class Needs { Line, Nothing };

    // How an accepted action ended.
    struct Completion {
        enum class Kind { Done, Failed, Cancelled } kind = Kind::Done;
        // Why it failed or was cancelled.
        QString reason;
    };
    using Done = std::function<void(const Completion &)>;

    static constexpr int kMaxWaiting = 256;
    static constexpr const char *kQueueFull = "Too many actions waiting: this one was not done";

    explicit ActionQueue(SerialLink &link, QObject *parent = nullptr);
    ~ActionQueue() override;

    // Starts the action now when nothing else runs and the line is free; otherwise it waits
    // its turn, or is refused with a message when too many already wait (done is not called
    // then). The label names the action in messages and the debug log.
    Outcome Submit(const QString &label, Needs needs, Action action, Done done = {});
#ifndef Q_MOC_RUN
    template <typename F>
    requires std::is_void_v<std::invoke_result_t<F &>>
        Outcome Submit(const QString &label, Needs needs, F action, Done done = {})
    {
        return submitPlain(label, needs, std::function<void()>(std::move(action)), std::move(done));
    }
#endif

    // Abandons the running action at its wait and drops every waiting one; each is told it was
    // cancelled, and one line of the debug log says how many. Returns how many.
    int CancelAll(const QString &reason);
    // The program is stopping: the running action is abandoned at its wait and the waiting ones
    // that need the line are dropped, each told; those that need nothing of the routers (names,
    // locks) run now, so what was accepted of them is kept. Returns how many were cancelled.
    int Stop(const QString &reason);
    // Drops the waiting actions that need what is named; each is told, and the error line and
    // the log say how many ("<why>: 3 waiting actions cancelled").
    int CancelWaiting(Needs needs, const QString &why);

    bool Running() const
    {
        return m_current.has_value();
    }
    int Waiting() const
    {
        return static_cast<int>(m_waiting.size());
    }
    // Nothing runs and nothing waits.
    bool Idle() const
    {
        return !Running() && m_waiting.empty();
    }

signals:
    // Emitted whenever Idle() may have changed.
    void idleChanged(bool idle);

private:
    struct Pending {
        QString label;
        Needs needs;
        Action action;
        Done done;
    };
    struct Current {
        Pending pending;
        Task<void> task;
    };

    Outcome submitPlain(const QString &label, Needs needs, std::function<void()> action, Done done);
    bool mayRunNow() const;
    void run(Pending pending);
    void finished();
    void scheduleDrain();
    void drain();
    int abandonCurrent(const QString &reason);
    int cancelWaiting(const std::function<bool(const Pending &)> &which, const QString &reason);

    SerialLink &m_link;
    std::deque<Pending> m_waiting;
    std::optional<Current> m_current;
    bool m_drainScheduled = false;
};

} // namespace corvantis
