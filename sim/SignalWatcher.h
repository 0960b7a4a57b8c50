#pragma once

#include <QList>
#include <QObject>

class QSocketNotifier;

namespace corvantis {

// Turns termination signals into a Qt signal through a signalfd, so the work they ask for
// runs in the event loop and never inside a signal handler.
class SignalWatcher : public QObject {
    Q_OBJECT

public:
    // Blocks the signals for normal delivery. Call it first thing in main, before any thread
    // starts, so every thread inherits the mask.
    static bool blockForWatching(const QList<int> &signalNumbers);

    explicit SignalWatcher(const QList<int> &signalNumbers, QObject *parent = nullptr);
    ~SignalWatcher() override;

    bool isValid() const { return m_fd >= 0; }

Q_SIGNALS:
    void signalled(int signalNumber);

private:
    void readSignals();

    int m_fd = -1;
    QSocketNotifier *m_notifier = nullptr;
};

} // namespace corvantis
