#pragma once

#include <QObject>
#include <QString>
#include <deque>
#include <functional>

namespace corvantis {

class SerialLink;

// The one path for operator actions: a click, a macro, a menu, a dialog's OK, a network
// request. The link waits for replies while events are still handled, so without this an
// action started during a wait would run inside it. One action runs at a time; one that
// arrives while another runs, or while the line is held, waits its turn and runs in order
// once the line is free.
class ActionQueue : public QObject {
    Q_OBJECT

public:
    using Action = std::function<void()>;

    enum class Outcome { Ran, Queued, Refused };
    // Whether an action talks to the routers: those cannot run once the line is gone.
    enum class Needs { Line, Nothing };

    static constexpr int kMaxWaiting = 256;

    explicit ActionQueue(SerialLink &link, QObject *parent = nullptr);

    // Runs the action now when nothing else runs and the line is free; otherwise it waits its
    // turn, or is refused with a message when too many already wait. The label names the
    // action in messages and the debug log.
    Outcome Submit(const QString &label, Needs needs, Action action);

    bool Running() const { return m_running; }
    int Waiting() const { return static_cast<int>(m_waiting.size()); }
    // Nothing runs and nothing waits.
    bool Idle() const { return !m_running && m_waiting.empty(); }

signals:
    // Emitted whenever Idle() may have changed.
    void idleChanged(bool idle);

private:
    struct Pending {
        QString label;
        Needs needs;
        Action action;
    };

    bool mayRunNow() const;
    void run(const QString &label, const Action &action);
    void scheduleDrain();
    void drain();
    // The line went away: the actions that need it can never run, and are dropped with one
    // message.
    void dropLineActions();

    SerialLink &m_link;
    std::deque<Pending> m_waiting;
    bool m_running = false;
    bool m_drainScheduled = false;
};

} // namespace corvantis
