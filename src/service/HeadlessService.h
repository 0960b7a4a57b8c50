#pragma once

#include "net/PanelServer.h"
#include "net/Swp08Server.h"
#include "service/CoreMatrixControl.h"
#include "service/WebListening.h"
#include "web/WebServer.h"

#include <QObject>
#include <QString>

namespace corvantis {

class AppCore;

// The control servers over the application core, and what runs Corvantis without a window: the
// configuration, the link, the status tick and the alive poll. Messages go to standard error
// and the debug log.
class HeadlessService : public QObject {
    Q_OBJECT

public:
    explicit HeadlessService(AppCore &core, QObject *parent = nullptr);

    // Headless: loads the file and starts the line and the tick; from then on a panel's names
    // are saved to that file at once. False (with the reason on standard error) when the file
    // did not load.
    bool start(const QString &configPath);
    // Serves text panels, or SW-P-08 controllers; false (with the reason on standard error)
    // when the address cannot be taken.
    bool listen(const QString &host, quint16 port) { return serve(m_server, host, port); }
    bool listenSwp08(const QString &host, quint16 port) { return serve(m_swp08, host, port); }
    // Serves the web panel as chosen, with the stored PIN; off until asked for. False (with
    // the reason on standard error) when it cannot.
    bool listenWeb(const WebListening::Choice &choice);
    // Saves the configuration; the port is closed.
    void stop();
    PanelServer &server() { return m_server; }
    Swp08Server &swp08Server() { return m_swp08; }
    WebServer &webServer() { return m_web; }
    WebListening &webListening() { return m_webListening; }

private:
    bool serve(ControlServer &server, const QString &host, quint16 port);
    void saveNames();

    AppCore &m_core;
    CoreMatrixControl m_control;
    PanelServer m_server;
    Swp08Server m_swp08;
    WebServer m_web;
    WebListening m_webListening{m_web};
};

} // namespace corvantis
