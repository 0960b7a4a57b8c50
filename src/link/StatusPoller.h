#pragma once

#include "util/Task.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QTimer>
#include <functional>
#include <optional>
#include <vector>

namespace corvantis {

class MacroRecording;
class RoutingEngine;
class SerialLink;
struct Settings;

// The 100 ms timer: expires the error line, blinks the record label, applies pending status
// replies, polls whether the router answers, picks up the changes a router reports itself and
// requests the full status every five minutes. What runs depends on the router model and the
// framing. Its effects on the window leave as signals.
class StatusPoller : public QObject {
    Q_OBJECT

public:
    static constexpr int kTickMs = 100;
    static constexpr int kStatusPollStart = 2990;
    static constexpr int kStatusPollDue = 3000;
    static constexpr int kUpdateMatrix = 2999;
    static constexpr int kBackOnline = 2995;
    static constexpr int kAlivePollDue = 20;
    static constexpr int kAlivePollWrap = 130;
    static constexpr int kAfterRoute = 100;

    enum class MatrixState { Unknown, Online, Offline };

    StatusPoller(const Settings &settings, SerialLink &link, RoutingEngine &engine,
                 const MacroRecording &recording, QObject *parent = nullptr);

    void start();
    void stop();
    bool isActive() const { return m_timer.isActive(); }

    // One tick, all five steps in order. The steps on the line run on after the tick returns;
    // while they do, later ticks leave the line alone, so each poll is one whole operation.
    void Tick();
    // The start-up status request; Type A models get none.
    Task<void> SendStartupRequest();
    // True while a tick's steps on the line have not ended.
    bool LineWorkRunning() const { return !m_lineWork.done(); }
    // "Update Matrix": the status request goes out at the next tick without received data.
    void UpdateMatrix() { m_statusPollCounter = kUpdateMatrix; }

    int AlivePollCounter() const { return m_alivePollCounter; }
    void setAlivePollCounter(int counter) { m_alivePollCounter = counter; }
    int StatusPollCounter() const { return m_statusPollCounter; }
    void setStatusPollCounter(int counter) { m_statusPollCounter = counter; }
    bool StatusPollEnabled() const { return m_statusPollEnabled; }
    void setStatusPollEnabled(bool enabled) { m_statusPollEnabled = enabled; }
    MatrixState matrixState() const { return m_matrixState; }
    // The frame addresses the alive poll asks in turn, one per poll; frame address 0 alone
    // unless set.
    void setPollRound(std::function<std::vector<int>()> round) { m_round = std::move(round); }

    static QString MatrixStateText(bool online);

signals:
    // Invert the visibility of the record label.
    void recordLabelBlink();
    // The alive indicator is shown (the alive-polled model) or hidden.
    void aliveIndicatorVisible(bool visible);
    // "Matrix Online" in green or "Matrix Offline" in red.
    void matrixOnlineChanged(bool online);
    // The router at the frame address had its turn of the alive poll and answered or not.
    void routerPolled(int frameAddress, bool answered);

private:
    Task<void> lineSteps(bool aliveModel);
    Task<void> alivePoll();
    Task<void> receiveAndRequest();
    Task<void> periodicRequest();
    void setMatrixState(MatrixState state);

    const Settings &m_settings;
    SerialLink &m_link;
    RoutingEngine &m_engine;
    const MacroRecording &m_recording;
    QTimer m_timer;
    int m_alivePollCounter = 0;
    int m_statusPollCounter = kStatusPollStart;
    bool m_statusPollEnabled = true;
    Task<void> m_lineWork;
    std::optional<bool> m_aliveVisible;
    MatrixState m_matrixState = MatrixState::Unknown;
    std::function<std::vector<int>()> m_round;
    std::size_t m_turn = 0;
};

} // namespace corvantis
