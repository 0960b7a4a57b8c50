#include "service/HeadlessService.h"

#include "core/AppCore.h"
#include "util/clsDebug.h"

#include <QElapsedTimer>
#include <QHostAddress>
#include <cstdio>

namespace corvantis {

HeadlessService::HeadlessService(AppCore &core, QObject *parent)
    : QObject(parent), m_core(core), m_control(core), m_server(m_control, core.locks()),
      m_swp08(m_control, core.locks()), m_web(core)
{
}

bool HeadlessService::start(const QString &configPath)
{
    std::string path = configPath.toStdString();
    ConfigLoad(path, false, m_core.config());
    if (!m_core.settings().ConfigLoaded || m_core.settings().ConfigFilePath != path) {
        std::fprintf(stderr, "%s: the configuration could not be loaded\n", qPrintable(configPath));
        return false;
    }
    m_core.setConfigFromFile(true);
    // No operator will save later, and a name a panel changed must survive a power cut. Beside
    // the window (no start) panel names wait for the window's save, as typed ones do.
    connect(&m_control, &CoreMatrixControl::namesStored, this, &HeadlessService::saveNames);
    // Without a window the error line goes to standard error, one line each.
    // The same message again while it would still show in the window is not repeated.
    connect(&m_core.link(), &SerialLink::errorMessageChanged, this,
            [last = QString(), shown = QElapsedTimer()](const QString &text) mutable {
                if (text.isEmpty() || (text == last && shown.isValid() && shown.elapsed() < 3000))
                    return;
                last = text;
                shown.start();
                std::fprintf(stderr, "%s\n", qPrintable(text));
            });
    m_core.Rebuild();
    m_core.OpenCommPort();
    m_core.poller().start();
    m_core.SendStartupRequestWhenFree();
    return true;
}

bool HeadlessService::serve(ControlServer &server, const QString &listenHost, quint16 listenPort)
{
    const QHostAddress address(listenHost);
    if (address.isNull() || !server.listen(address, listenPort)) {
        std::fprintf(stderr, "cannot listen for %s clients on %s:%u: %s\n",
                     qPrintable(server.protocol()), qPrintable(listenHost), listenPort,
                     qPrintable(address.isNull() ? QStringLiteral("not an IP address")
                                                 : server.errorString()));
        return false;
    }
    DebugLog().Log("Server listening", {server.protocol().toStdString(), listenHost.toStdString(),
                                        std::to_string(listenPort)});
    return true;
}

bool HeadlessService::listenWeb(const WebListening::Choice &choice)
{
    const QString why = m_webListening.apply(choice, false);
    if (!why.isEmpty()) {
        std::fprintf(stderr, "%s\n", qPrintable(why));
        return false;
    }
    if (WebListening::storedPinHash().isEmpty())
        std::fprintf(stderr,
                     "The web panel is view-only: no PIN is set (corvantis --set-web-pin)\n");
    return true;
}

void HeadlessService::saveNames()
{
    m_core.SaveConfiguration(true);
}

void HeadlessService::stop()
{
    m_server.close();
    m_swp08.close();
    m_web.close();
    m_core.poller().stop();
    // Whatever waits for the line or is on it is abandoned: the routers keep what they accepted.
    // Names and locks that were accepted are still done, so the save below keeps them.
    const int cancelled = m_core.actions().Stop(QStringLiteral("the service is stopping"));
    // Panels were told these were accepted: whoever stopped the service learns they were not done.
    if (cancelled > 0)
        std::fprintf(stderr, "Stopping: %d unfinished %s cancelled\n", cancelled,
                     cancelled == 1 ? "action" : "actions");
    m_core.SaveOnExit();
}

} // namespace corvantis
