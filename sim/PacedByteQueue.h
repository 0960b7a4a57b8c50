#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QObject>
#include <QTimer>
#include <chrono>
#include <deque>

namespace corvantis {

// Lets bytes through no faster than a 9600 baud 8N1 line carries them (10 bits a byte), or all
// at once with pacing off. A chunk can be held back for a while; chunks leave in order, so a
// held chunk also holds those behind it, as on a single line.
class PacedByteQueue : public QObject {
    Q_OBJECT

public:
    static constexpr std::chrono::nanoseconds kByteTime{1'041'667};

    explicit PacedByteQueue(QObject *parent = nullptr);

    void setPacing(bool on) { m_pacing = on; }
    bool pacing() const { return m_pacing; }
    void enqueue(const QByteArray &bytes,
                 std::chrono::milliseconds holdBack = std::chrono::milliseconds(0));
    void clear();
    bool isEmpty() const { return m_chunks.empty(); }

Q_SIGNALS:
    // Bytes whose time has come; several when the event loop was late.
    void bytesDue(const QByteArray &bytes);

private:
    struct Chunk {
        QByteArray bytes;
        qsizetype sent = 0; // paced bytes already through
        qint64 notBeforeNs = 0;
    };

    void pump();

    std::deque<Chunk> m_chunks;
    QTimer m_timer;
    QElapsedTimer m_clock;
    // When the last byte was through, so the line can carry the next one.
    qint64 m_lineFreeNs = 0;
    bool m_pacing = true;
};

} // namespace corvantis
