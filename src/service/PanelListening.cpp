#include "service/PanelListening.h"

#include "net/PanelServer.h"
#include "util/clsDebug.h"

#include <QHostAddress>
#include <QSettings>

namespace corvantis {

namespace {

constexpr auto kEnabledKey = "panels/listen";
constexpr auto kAddressKey = "panels/address";

} // namespace

PanelListening::PanelListening(PanelServer &server, QObject *parent)
    : QObject(parent), m_server(server)
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

PanelListening::Choice PanelListening::stored()
{
    const QSettings settings;
    Choice choice;
    choice.enabled = settings.value(QLatin1String(kEnabledKey), false).toBool();
    choice.address = settings.value(QLatin1String(kAddressKey), choice.address).toString();
    return choice;
}

QString PanelListening::apply(const Choice &choice, bool store)
{
    QString host;
    quint16 port = 0;
    if (!parseAddress(choice.address, host, port) || QHostAddress(host).isNull())
        return QStringLiteral("\"%1\" is not an address and port such as 127.0.0.1:%2")
            .arg(choice.address)
            .arg(PanelServer::kDefaultPort);
    const bool unchanged = choice.enabled && m_current.enabled && m_server.isListening() &&
                           choice.address == m_current.address;
    if (choice.enabled && !unchanged) {
        if (!m_server.listen(QHostAddress(host), port))
            return QStringLiteral("Cannot serve control panels on %1: %2")
                .arg(choice.address, m_server.errorString());
        DebugLog().Log("Panel server listening", {choice.address.toStdString()});
    } else if (!choice.enabled && m_server.isListening()) {
        m_server.close();
        DebugLog().Log("Panel server stopped", {});
    }
    m_current = choice;
    if (store) {
        QSettings settings;
        settings.setValue(QLatin1String(kEnabledKey), choice.enabled);
        settings.setValue(QLatin1String(kAddressKey), choice.address);
    }
    return {};
}

} // namespace corvantis
