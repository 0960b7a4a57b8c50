#include "link/PortAddress.h"

#include "config/ComPortTarget.h"

#include <QHostAddress>
#include <QRegularExpression>
#include <algorithm>

namespace corvantis {

namespace {

constexpr int kMaxComNumber = 255;
constexpr int kMaxPort = 65535;

const QString kExpected = QStringLiteral(
    "expected COMn, a device path such as /dev/ttyUSB0, socket://HOST:PORT or "
    "rfc2217://HOST:PORT (HOST a name, an IPv4 address or an IPv6 address in brackets, PORT 1 "
    "to 65535)");

bool isHostName(const QString &host)
{
    // Labels of letters, digits and hyphens, neither starting nor ending with a hyphen.
    static const QRegularExpression name(
        QStringLiteral("^(?=.{1,253}$)[A-Za-z0-9]([A-Za-z0-9-]{0,61}[A-Za-z0-9])?"
                       "(\\.[A-Za-z0-9]([A-Za-z0-9-]{0,61}[A-Za-z0-9])?)*\\.?$"));
    return name.match(host).hasMatch();
}

bool isIPv4Shaped(const QString &host)
{
    static const QRegularExpression digitsAndDots(QStringLiteral("^[0-9.]+$"));
    return digitsAndDots.match(host).hasMatch();
}

// Fills host and port from "HOST:PORT"; the reason otherwise.
QString parseHostPort(const QString &rest, PortAddress &address)
{
    QString host;
    QString port;
    if (rest.startsWith(QLatin1Char('['))) {
        const qsizetype close = rest.indexOf(QLatin1Char(']'));
        if (close < 0)
            return QStringLiteral("the IPv6 address has no closing bracket");
        host = rest.mid(1, close - 1);
        if (rest.mid(close + 1, 1) != QLatin1String(":"))
            return QStringLiteral("a \":\" and the port must follow the host");
        port = rest.mid(close + 2);
        const QHostAddress ip(host);
        if (ip.protocol() != QAbstractSocket::IPv6Protocol || host.contains(QLatin1Char('%')))
            return QStringLiteral("\"%1\" in brackets is not an IPv6 address").arg(host);
    } else {
        const qsizetype colon = rest.lastIndexOf(QLatin1Char(':'));
        if (colon < 0)
            return QStringLiteral("a \":\" and the port must follow the host");
        host = rest.left(colon);
        port = rest.mid(colon + 1);
        if (host.contains(QLatin1Char(':')))
            return QStringLiteral("an IPv6 address must be written in brackets");
        if (host.isEmpty())
            return QStringLiteral("the host is missing");
        if (isIPv4Shaped(host)) {
            if (QHostAddress(host).protocol() != QAbstractSocket::IPv4Protocol ||
                host.count(QLatin1Char('.')) != 3)
                return QStringLiteral("\"%1\" is not an IPv4 address").arg(host);
        } else if (!isHostName(host)) {
            return QStringLiteral("\"%1\" is not a host name").arg(host);
        }
    }
    bool ok = false;
    const int number = port.toInt(&ok, 10);
    const bool digitsOnly = !port.isEmpty() && std::all_of(port.begin(), port.end(), [](QChar c) {
        return c >= QLatin1Char('0') && c <= QLatin1Char('9');
    });
    if (!digitsOnly || !ok || number < 1 || number > kMaxPort)
        return QStringLiteral("the port must be a number from 1 to 65535");
    address.host = host;
    address.port = static_cast<quint16>(number);
    return {};
}

std::optional<int> parseComNumber(const QString &text)
{
    static const QRegularExpression com(QStringLiteral("^COM([1-9][0-9]{0,2})$"),
                                        QRegularExpression::CaseInsensitiveOption);
    const auto match = com.match(text);
    if (!match.hasMatch())
        return std::nullopt;
    const int number = match.captured(1).toInt();
    return number <= kMaxComNumber ? std::optional<int>(number) : std::nullopt;
}

bool isDevicePath(const QString &text)
{
#ifdef _WIN32
    return text.startsWith(QLatin1String("\\\\.\\"));
#else
    return text.startsWith(QLatin1Char('/')) && text.size() > 1 && !text.endsWith(QLatin1Char('/'));
#endif
}

} // namespace

std::optional<PortAddress> PortAddress::Parse(const QString &text, const std::string &dataFolder,
                                              QString *error)
{
    PortAddress address;
    address.text = text.trimmed();
    auto refuse = [&](const QString &reason) -> std::optional<PortAddress> {
        if (error)
            *error =
                QStringLiteral("\"%1\" names no port: %2; %3").arg(address.text, reason, kExpected);
        return std::nullopt;
    };
    const QString &t = address.text;
    if (t.isEmpty())
        return refuse(QStringLiteral("it is empty"));

    const qsizetype schemeEnd = t.indexOf(QLatin1String("://"));
    if (schemeEnd >= 0) {
        const QString scheme = t.left(schemeEnd).toLower();
        if (scheme == QLatin1String("socket"))
            address.kind = Kind::Tcp;
        else if (scheme == QLatin1String("rfc2217"))
            address.kind = Kind::Rfc2217;
        else
            return refuse(QStringLiteral("\"%1://\" is not a known kind of address").arg(scheme));
        const QString reason = parseHostPort(t.mid(schemeEnd + 3), address);
        if (!reason.isEmpty())
            return refuse(reason);
        return address;
    }

    if (const auto number = parseComNumber(t)) {
        const auto target = ComPortTarget::Resolve("COM" + std::to_string(*number), dataFolder);
        address.comNumber = *number;
        address.device = QString::fromStdString(target.path);
        return address;
    }
    if (isDevicePath(t)) {
        address.device = t;
        return address;
    }
    return refuse(QStringLiteral("it is neither a COM port, a device path nor a URL"));
}

} // namespace corvantis
