#pragma once

#include <QList>
#include <QObject>
#include <QPair>
#include <QString>

namespace corvantis {

// What the control servers need from the program: the logical matrix as the main window shows
// it, and the way into the one action path. The application core implements it; a server
// never reaches the link or the routers itself. All numbers are 0-based logical numbers.
class MatrixControl : public QObject {
    Q_OBJECT

public:
    enum class Side { Input, Output };

    struct DeviceFacts {
        QString modelName;
        QString friendlyName;
        QString uniqueId;
        // The logical matrix's size: highest logical number + 1, 0 without routers.
        int inputs = 0;
        int outputs = 0;
    };

    // An (output, input) crosspoint, and an (index, name) label.
    using Route = QPair<int, int>;
    using Label = QPair<int, QString>;

    explicit MatrixControl(QObject *parent = nullptr);
    ~MatrixControl() override;

    virtual DeviceFacts deviceFacts() const = 0;
    // What the names panels show for the number, "-" when no router owns it.
    virtual QString label(Side side, int index) const = 0;
    // False for a number outside the matrix too.
    virtual bool isOwned(Side side, int index) const = 0;
    // The input whose video the output shows as the routers last confirmed it; -1 when not
    // known (never routed, never polled, or not owned).
    virtual int routedInput(int output) const = 0;
    // True when a click could route this crosspoint: both numbers owned and the input
    // reachable from the router (or pair) that owns the output.
    virtual bool canRoute(int output, int input) const = 0;
    // Empty when the names panels would take the text; otherwise why they would not (for
    // instance the ";" a configuration file cannot hold). Decides nothing that depends on
    // the other names: the "!" for a duplicate is added when the rename runs.
    virtual QString labelRefusal(const QString &text) const = 0;

    // Both submit one action on the action path and return at once: true when it was
    // accepted (started or queued), false when it was refused (too many waiting). The route
    // runs on all levels, the crosspoints in the order given. However the action ends (done,
    // failed, cancelled), routingChanged then names every output of the request, whether it
    // changed or not, so a route the routers did not accept is reported as the state that
    // holds. clientId is the requester (OutputLocks' owner id), for the log and for lock
    // checks made when the action runs.
    virtual bool requestRoute(const QList<Route> &routes, int clientId) = 0;
    // Renames as typing into the names panels does; labelsChanged then carries the names
    // as stored (with any "!" added).
    virtual bool requestRename(Side side, const QList<Label> &labels, int clientId) = 0;

signals:
    // From anywhere: the window, a macro, a network request, a router's front panel report,
    // a status reply. Numbers may repeat; each signal lists what to send again.
    void routingChanged(const QList<int> &outputs);
    void labelsChanged(const QList<int> &inputs, const QList<int> &outputs);
    // The configuration was replaced: sizes, ownership and names may all be different.
    void deviceChanged();
};

} // namespace corvantis
