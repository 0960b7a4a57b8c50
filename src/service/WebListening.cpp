#include "service/WebListening.h"

#include "service/PanelListening.h"
#include "util/clsDebug.h"
#include "web/PinHash.h"

#include <QHostAddress>
#include <QSettings>

namespace corvantis {

namespace {

constexpr auto kEnabledKey = "web/listen";
constexpr auto kAddressKey = "web/address";
constexpr auto kCertificateKey = "web/certificate";
constexpr auto kKeyKey = "web/key";
constexpr auto kViewingKey = "web/viewing";
constexpr auto kPinKey = "web/pin";

} // namespace

WebListening::WebListening(WebServer &server, QObject *parent) : QObject(parent), m_server(server)
{
}

WebListening::Choice WebListening::stored()
{
    const QSettings settings;
    Choice choice;
    choice.enabled = settings.value(QLatin1String(kEnabledKey), false).toBool();
    choice.address = settings.value(QLatin1String(kAddressKey), choice.address).toString();
    choice.certificate = settings.value(QLatin1String(kCertificateKey)).toString();
    choice.key = settings.value(QLatin1String(kKeyKey)).toString();
    choice.viewing = settings.value(QLatin1String(kViewingKey), true).toBool();
    return choice;
}

QString WebListening::storedPinHash()
{
    return QSettings().value(QLatin1String(kPinKey)).toString();
}

QString WebListening::storePin(const QString &pin)
{
    QSettings settings;
    if (pin.isEmpty()) {
        settings.remove(QLatin1String(kPinKey));
        return {};
    }
    if (const QString why = PinHash::refusal(pin); !why.isEmpty())
        return why;
    settings.setValue(QLatin1String(kPinKey), PinHash::make(pin));
    return {};
}

QString WebListening::apply(const Choice &choice, bool store)
{
    QString host;
    quint16 port = 0;
    if (!PanelListening::parseAddress(choice.address, host, port) || QHostAddress(host).isNull())
        return QStringLiteral("\"%1\" is not an address and port such as 127.0.0.1:%2")
            .arg(choice.address)
            .arg(WebServer::kDefaultPort);
    const bool sameSocket =
        m_current.enabled && m_server.isListening() && choice.address == m_current.address &&
        choice.certificate == m_current.certificate && choice.key == m_current.key;
    if (choice.enabled && !sameSocket) {
        if (!m_server.setTls(choice.certificate, choice.key) ||
            !m_server.listen(QHostAddress(host), port))
            return QStringLiteral("Cannot serve the web panel on %1: %2")
                .arg(choice.address, m_server.errorString());
        DebugLog().Log("Web panel listening", {choice.address.toStdString()});
    } else if (!choice.enabled && m_server.isListening()) {
        m_server.close();
        DebugLog().Log("Web panel stopped", {});
    }
    m_server.setAccess({storedPinHash(), choice.viewing});
    m_current = choice;
    if (store) {
        QSettings settings;
        settings.setValue(QLatin1String(kEnabledKey), choice.enabled);
        settings.setValue(QLatin1String(kAddressKey), choice.address);
        settings.setValue(QLatin1String(kCertificateKey), choice.certificate);
        settings.setValue(QLatin1String(kKeyKey), choice.key);
        settings.setValue(QLatin1String(kViewingKey), choice.viewing);
    }
    return {};
}

} // namespace corvantis
