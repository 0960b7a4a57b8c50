#pragma once

#include "sim/PacedByteQueue.h"
#include "sim/PseudoTerminal.h"
#include "sim/SimFrameParser.h"
#include "sim/SimResponder.h"
#include "sim/SimRouterSpec.h"
#include "sim/SimRouterState.h"
#include "sim/SocketLine.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QList>
#include <QObject>
#include <QRandomGenerator>
#include <QSet>
#include <QString>
#include <QTimer>
#include <chrono>

namespace corvantis {

// Up to 16 routers on one serial line, behind a pseudo-terminal: a program opens the device
// (or the link to it) as its serial port and talks to the routers as it would to real ones.
// The line keeps the routers' crosspoints, answers in the framing it is set to, paces its
// bytes at 9600 baud, and misbehaves on request.
//
// Failure modes apply to replies, not to what the routers do: a dropped reply still leaves
// the route made. In resend-only mode the first transmission of a command goes unheard (no
// effect, no reply, counted as a dropped reply) and an identical frame right after it is
// carried out and answered; EDID transfers are never resent by the program and are exempt.
// Silent sends nothing at all, front-panel reports and noise included.
//
// Noise: short bursts of 1 to 3 bytes while the line is quiet (nothing being received or
// sent for a while), as glitches on an idle RS-232 line read: 0x00 and bytes with only the
// high bits set (0x80, 0xC0 ... 0xFF). Such bytes are never an acknowledgement (0x06), never a
// front-panel report ("U"), never the start of a frame, and never equal a Type B checksum,
// which is always below 0x80. A burst can still land next to a reply, as on a real line.
class VirtualRouterLine : public QObject {
    Q_OBJECT

public:
    using Router = SimRouterSpec;
    using Clock = std::chrono::steady_clock;

    static constexpr qsizetype kMaxKeptFrames = 100'000;
    static constexpr int kDefaultIdleResetMs = 250;

    explicit VirtualRouterLine(QObject *parent = nullptr);
    ~VirtualRouterLine() override;

    // 0 Type A, 1 Type B framing on the whole line (Type B unless set).
    void setCommType(int commType);
    int commType() const { return m_responder.commType(); }
    // False for a frame address outside 0 to 15 or taken, or port counts outside 1 to 127.
    bool addRouter(const Router &router);
    void clearRouters();
    QList<Router> routers() const { return m_state.routers(); }
    // Routers, their output placement and the framing from a configuration file; the routers
    // then on the line are replaced. False with the reason when the file gives no routers.
    // On success `error` holds what the reader said about lines it skipped, if anything.
    bool loadConfiguration(const QString &rcfPath, QString *error);

    // Opens a pseudo-terminal; with a link path also a symbolic link to its device there.
    bool open(const QString &linkPath = {});
    // Also (or instead) listens for one program at a time on TCP, raw; port 0 picks one.
    bool listen(const QHostAddress &address, quint16 port);
    quint16 listenPort() const { return m_socket.serverPort(); }
    void close();
    bool isOpen() const { return m_terminal.isOpen() || m_socket.isListening(); }
    QString errorString() const { return m_error; }
    // The device a program opens, such as /dev/pts/7.
    QString devicePath() const { return m_terminal.devicePath(); }
    QString linkPath() const { return m_terminal.linkPath(); }
    bool isAttached() const { return m_terminal.isAttached() || m_socket.isAttached(); }

    // 9600 baud pacing of what the line sends and of how fast it takes in frames; on unless
    // switched off.
    void setPacing(bool on);
    // Drops that share (0 to 100) of replies, deterministically for a given seed.
    void setDropPercent(int percent);
    void setSeed(quint32 seed);
    // Holds every reply back this long before it goes on the line.
    void setLateMs(int ms);
    void setNoise(bool on);
    void setSilent(bool on);
    // One router stops hearing anything addressed to it (a cable pulled on the chain); the
    // others go on.
    void setRouterSilent(int frameAddress, bool on);
    void setAnswerOnResendOnly(bool on);
    // How long the line must be quiet before a partial frame is given up.
    void setIdleResetMs(int ms);
    bool pacing() const { return m_outgoing.pacing(); }
    int dropPercent() const { return m_dropPercent; }
    int lateMs() const { return m_lateMs; }
    bool noise() const { return m_noise; }
    bool silent() const { return m_silent; }
    bool answerOnResendOnly() const { return m_resendOnly; }

    // The video input routed to the output, 0-based; -1 when none.
    int crosspoint(int frameAddress, int output) const;
    // As an operator at the router's front panel: changes the crosspoint and reports it with
    // "U", input + 1, output + 1. Input -1 disconnects; the report cannot tell that, so
    // nothing is sent then. False, changing nothing, for ports the router does not have.
    bool frontPanelRoute(int frameAddress, int output, int input);
    // The EDID most recently written into the router by a complete transfer.
    QByteArray edid(int frameAddress) const { return m_state.edid(frameAddress); }

    // Every complete frame received, in order (the most recent kMaxKeptFrames).
    QList<QByteArray> receivedFrames() const { return m_received; }
    // When each of those frames was complete.
    QList<Clock::time_point> receivedTimes() const { return m_receivedAt; }
    int framesReceived() const { return m_framesReceived; }
    int repliesSent() const { return m_repliesSent; }
    int repliesDropped() const { return m_repliesDropped; }
    // Bytes that belonged to no frame.
    qint64 bytesDiscarded() const { return m_parser.bytesDiscarded() - m_discardedBase; }
    // Also forgets the received frames.
    void clearCounters();

Q_SIGNALS:
    // After the frame has taken effect and its replies are on their way.
    void frameReceived(const QByteArray &frame);

private:
    void takeIn(const QByteArray &bytes);
    void handleFrames(const QList<SimFrame> &frames);
    void handleFrame(const SimFrame &frame);
    void sendReply(const QByteArray &reply);
    void lineWentQuiet();
    void scheduleNoise();
    void emitNoise();
    bool isQuiet() const;

    SimRouterState m_state;
    SimResponder m_responder{m_state};
    SimFrameParser m_parser;
    PseudoTerminal m_terminal;
    SocketLine m_socket;
    PacedByteQueue m_incoming;
    PacedByteQueue m_outgoing;
    QTimer m_idleTimer;
    QTimer m_noiseTimer;
    QElapsedTimer m_sinceActivity;
    QRandomGenerator m_random{1};
    QRandomGenerator m_noiseRandom{1};
    QString m_error;

    QList<QByteArray> m_received;
    QList<Clock::time_point> m_receivedAt;
    QByteArray m_firstTransmission;
    int m_framesReceived = 0;
    int m_repliesSent = 0;
    int m_repliesDropped = 0;
    qint64 m_discardedBase = 0;

    int m_dropPercent = 0;
    int m_lateMs = 0;
    int m_idleResetMs = kDefaultIdleResetMs;
    bool m_noise = false;
    bool m_silent = false;
    QSet<int> m_silentRouters;
    bool m_resendOnly = false;
};

} // namespace corvantis
