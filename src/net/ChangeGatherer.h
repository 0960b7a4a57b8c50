#pragma once

#include <QList>
#include <QObject>
#include <QSet>
#include <QTimer>
#include <functional>

namespace corvantis {

class MatrixControl;
class OutputLocks;

// What changed in the matrix, from anywhere: routing, names and locks, gathered and handed on
// once per turn of the event loop, so a burst of signals reaches the clients as one update and
// nothing waits for a timer. A replaced configuration drops what was gathered.
class ChangeGatherer : public QObject {
    Q_OBJECT

public:
    // Each sorted, without repeats, within the matrix as it is when they are handed on.
    struct Changes {
        QList<int> routing;
        QList<int> inputLabels;
        QList<int> outputLabels;
        QList<int> locks;
    };

    // Nothing is gathered while wanted() is false: nobody would be told.
    ChangeGatherer(MatrixControl &matrix, OutputLocks &locks, std::function<bool()> wanted,
                   QObject *parent = nullptr);

signals:
    void gathered(const corvantis::ChangeGatherer::Changes &changes);

private:
    void mark(QSet<int> &pending, const QList<int> &numbers);
    void handOn();
    void drop();

    MatrixControl &m_matrix;
    std::function<bool()> m_wanted;
    QTimer m_timer;
    QSet<int> m_routing;
    QSet<int> m_inputLabels;
    QSet<int> m_outputLabels;
    QSet<int> m_locks;
};

} // namespace corvantis
