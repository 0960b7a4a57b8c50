#include "WebPage.h"

#include "../link/LinkRig.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QNetworkRequest>
#include <QSslSocket>

namespace corvantis::test {

namespace {

constexpr const char *kListed[] = {"inputs", "outputs", "routes", "locks"};

} // namespace

QByteArray WebPage::get(quint16 port, const QByteArray &path, const QByteArray &cookie, bool secure)
{
    QSslSocket http;
    if (secure) {
        http.setPeerVerifyMode(QSslSocket::VerifyNone);
        http.connectToHostEncrypted(QStringLiteral("127.0.0.1"), port);
    } else {
        http.connectToHost(QHostAddress::LocalHost, port);
    }
    if (!test::waitFor([&] {
            return secure ? http.isEncrypted() : http.state() == QAbstractSocket::ConnectedState;
        }))
        return {};
    QByteArray request = "GET " + path +
                         " HTTP/1.1\r\nHost: 127.0.0.1:" + QByteArray::number(port) +
                         "\r\nConnection: close\r\n";
    if (!cookie.isEmpty())
        request += "Cookie: " + cookie + "\r\n";
    http.write(request + "\r\n");
    // Until the whole body came: the server may keep the connection open.
    QByteArray answer;
    test::waitFor([&] {
        answer += http.readAll();
        const qsizetype end = answer.indexOf("\r\n\r\n");
        const qsizetype at = answer.toLower().indexOf("content-length: ");
        return http.state() == QAbstractSocket::UnconnectedState ||
               (end >= 0 && at >= 0 &&
                answer.size() - end - 4 >= answer.mid(at + 16, 12).split('\r').value(0).toInt());
    });
    return answer;
}

QByteArray WebPage::sessionCookie(quint16 port, bool secure)
{
    const QByteArray answer = get(port, "/session", {}, secure);
    const qsizetype at = answer.indexOf("corvantis_session=");
    return at < 0 ? QByteArray() : answer.mid(at, answer.indexOf(';', at) - at);
}

bool WebPage::open(quint16 port, const Options &options)
{
    if (options.cookie) {
        cookie = sessionCookie(port, options.secure);
        if (cookie.isEmpty())
            return false;
    }
    connect(&socket, &QWebSocket::textMessageReceived, this, &WebPage::receive);
    connect(&socket, &QWebSocket::disconnected, this, [this] {
        closed = true;
        closeCode = socket.closeCode();
    });
    const QByteArray scheme = options.secure ? "s" : "";
    connect(&socket, &QWebSocket::sslErrors, &socket,
            [this](const QList<QSslError> &) { socket.ignoreSslErrors(); });
    QNetworkRequest request(
        QUrl("ws" + scheme + "://127.0.0.1:" + QByteArray::number(port) + "/ws"));
    request.setRawHeader("Origin",
                         options.origin.isEmpty()
                             ? "http" + scheme + "://127.0.0.1:" + QByteArray::number(port)
                             : options.origin);
    if (!cookie.isEmpty())
        request.setRawHeader("Cookie", cookie);
    socket.open(request);
    return waitFor([this] { return !messages.isEmpty() || closed; }) && !closed;
}

QString WebPage::ask(QJsonObject request)
{
    const int id = m_nextId++;
    request.insert("id", id);
    socket.sendTextMessage(QString::fromUtf8(QJsonDocument(request).toJson()));
    QString answer;
    test::waitFor([&] {
        for (const QJsonObject &message : std::as_const(messages))
            if (message.value("type") == QLatin1String("reply") && message.value("id") == id)
                answer = message.value("ok").toBool() ? QStringLiteral("ok")
                                                      : message.value("error").toString();
        if (answer.isEmpty() && closed)
            answer = QStringLiteral("closed");
        return !answer.isEmpty();
    });
    return answer;
}

bool WebPage::waitFor(const std::function<bool()> &condition, int ms)
{
    return test::waitFor(condition, std::chrono::milliseconds(ms));
}

void WebPage::receive(const QString &text)
{
    const QJsonObject message = QJsonDocument::fromJson(text.toUtf8()).object();
    messages.append(message);
    const QString type = message.value("type").toString();
    if (type == QLatin1String("state")) {
        state = message;
        for (int o = 0; o < state.value("routes").toArray().size(); ++o)
            noteRoute(o);
    } else if (type == QLatin1String("session")) {
        state.insert("session", message.value("session"));
    } else if (type == QLatin1String("change")) {
        for (auto it = message.begin(); it != message.end(); ++it) {
            if (std::find(std::begin(kListed), std::end(kListed), it.key()) == std::end(kListed)) {
                state.insert(it.key(), it.value());
                continue;
            }
            QJsonArray list = state.value(it.key()).toArray();
            const QJsonObject entries = it.value().toObject();
            for (auto entry = entries.begin(); entry != entries.end(); ++entry)
                list[entry.key().toInt()] = entry.value();
            state.insert(it.key(), list);
            if (it.key() == QLatin1String("routes"))
                for (auto entry = entries.begin(); entry != entries.end(); ++entry)
                    noteRoute(entry.key().toInt());
        }
    }
}

void WebPage::noteRoute(int output)
{
    const QJsonObject video =
        state.value("routes").toArray().at(output).toObject().value("video").toObject();
    QString note = QStringLiteral("%1 %2")
                       .arg(video.value("input").toInt())
                       .arg(video.value("state").toString());
    if (video.contains("asked"))
        note += QStringLiteral(" %1").arg(video.value("asked").toInt());
    if (videoHistory[output].value(videoHistory[output].size() - 1) == note)
        return;
    videoHistory[output] << note;
}

} // namespace corvantis::test
