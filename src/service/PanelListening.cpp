#include "service/PanelListening.h"

#include "net/PanelServer.h"
#include "net/Swp08Server.h"
#include "util/clsDebug.h"

#include <QHostAddress>
#include <QSettings>

namespace corvantis {

// The text panels' keys are the ones older versions kept.
const PanelListening::Protocol PanelListening::kTextPanels{"panels", "text panels",
                                                           PanelServer::kDefaultPort};
const PanelListening::Protocol PanelListening::kSwp08Controllers{"swp08", "SW-P-08 controllers",
                                                                 Swp08Server::kDefaultPort};

namespace {

QString defaultAddress(const PanelListening::Protocol &protocol)
{
    return QStringLiteral("127.0.0.1:%1").arg(protocol.defaultPort);
}

} // namespace

PanelListening::PanelListening(ControlServer &server, const Protocol &protocol, QObject *parent)
    : QObject(parent), m_server(server),
      m_protocol(protocol), m_current{false, defaultAddress(protocol)}
{
}

bool PanelListening::parseAddress(const QString &text, QString &host, quint16 &port)
{
    const qsizetype colon = text.lastIndexOf(QLatin1Char(':'));
    if (colon <= 0)
        return false;
    host = text.left(colon);
    if (host.startsWith(QLatin1Char('[')) && host.endsWith(QLatin1Char(']')))
        host = host.mid(1, host.size() - 2);
    bool ok = false;
    const uint value = text.mid(colon + 1).toUInt(&ok);
    if (!ok || value > 65535)
        return false;
    port = static_cast<quint16>(value);
    return !host.isEmpty();
}

QString PanelListening::key(const char *name) const
{
    return QLatin1String(m_protocol.settingsGroup) + QLatin1Char('/') + QLatin1String(name);
}

PanelListening::Choice PanelListening::stored() const
{
    const QSettings settings;
    return {settings.value(key("listen"), false).toBool(),
            settings.value(key("address"), defaultAddress(m_protocol)).toString()};
}

QString PanelListening::apply(const Choice &choice, bool store)
{
    const QString clients = QLatin1String(m_protocol.clients);
    QString host;
    quint16 port = 0;
    if (!parseAddress(choice.address, host, port) || QHostAddress(host).isNull())
        return QStringLiteral("\"%1\" is not an address and port such as 127.0.0.1:%2")
            .arg(choice.address)
            .arg(m_protocol.defaultPort);
    const bool unchanged = choice.enabled && m_current.enabled && m_server.isListening() &&
                           choice.address == m_current.address;
    if (choice.enabled && !unchanged) {
        if (!m_server.listen(QHostAddress(host), port))
            return QStringLiteral("Cannot serve %1 on %2: %3")
                .arg(clients, choice.address, m_server.errorString());
        DebugLog().Log("Serving", {m_protocol.clients, choice.address.toStdString()});
    } else if (!choice.enabled && m_server.isListening()) {
        m_server.close();
        DebugLog().Log("Stopped serving", {m_protocol.clients});
    }
    m_current = choice;
    if (store) {
        QSettings settings;
        settings.setValue(key("listen"), choice.enabled);
        settings.setValue(key("address"), choice.address);
    }
    return {};
}

} // namespace corvantis
