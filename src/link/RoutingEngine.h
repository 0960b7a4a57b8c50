#pragma once

#include "util/Task.h"

#include <QObject>

namespace corvantis {

class clsRouter;
class LogicalMatrix;
class MacroRecording;
class SerialLink;
struct Configuration;

// Turns a crosspoint change on one router into commands on the link and keeps the routers'
// route state in step with what they were told: paired routers, macro recording, and the
// routers' status replies.
class RoutingEngine : public QObject {
    Q_OBJECT

public:
    // Levels as bits.
    static constexpr int kVideo = 1;
    static constexpr int kAudio = 2;
    static constexpr int kAllLevels = 3;
    static constexpr int kNoInput = -1;

    RoutingEngine(Configuration &config, LogicalMatrix &matrix, MacroRecording &recording,
                  SerialLink &link, QObject *parent = nullptr);

    // One crosspoint change on physical ports of one router; an input of -1 disconnects.
    // True on failure, and then the route state is as it was. An output or input the router
    // does not have throws RuntimeError("Subscript out of range") before anything is sent,
    // for the caller to report with its own label.
    Task<bool> RouteOnRouter(clsRouter &router, int output, int input, int level);
    // 0 when every command went out and, where a reply is awaited, was accepted; -1
    // otherwise, with the reason on the error line. Only an accepted route is recorded.
    Task<int> SendRoute(int frameAddress, int output, int input, int level);
    void RecordRoute(int frameAddress, int output, int input, int level);
    // Applies the pending status reply of the link to the route states, then statusApplied.
    void ReceiveStatusUpdate();

    // Set while a change that a router reported itself is applied: nothing is sent for it.
    bool RemoteClick() const { return m_remoteClick; }
    void setRemoteClick(bool remote) { m_remoteClick = remote; }

signals:
    // Route states changed by a status reply: the grid is to be redrawn.
    void statusApplied();

private:
    Task<bool> sendRouteCommands(int frameAddress, int output, int input);
    Task<bool> disconnectPartner(int frameAddress, int output, bool wait);

    Configuration &m_config;
    LogicalMatrix &m_matrix;
    MacroRecording &m_recording;
    SerialLink &m_link;
    bool m_remoteClick = false;
};

} // namespace corvantis
