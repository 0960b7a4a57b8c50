#pragma once

#include <QJsonObject>
#include <QMap>
#include <QObject>
#include <QStringList>
#include <QWebSocket>
#include <functional>

namespace corvantis::test {

// A browser page as the server sees one: a session cookie from the page's address, then the
// WebSocket, with the state it was sent kept up to date by every change, as the page does.
class WebPage : public QObject {
    Q_OBJECT

public:
    struct Options {
        // Empty: the server's own origin.
        QByteArray origin;
        bool cookie = true;
        // HTTPS and WSS, whatever certificate the server shows.
        bool secure = false;
    };

    // GET of a path; the whole answer, headers and body.
    static QByteArray get(quint16 port, const QByteArray &path, const QByteArray &cookie = {},
                          bool secure = false);
    // "corvantis_session=..." of a new session; empty when none was given.
    static QByteArray sessionCookie(quint16 port, bool secure = false);
    // Opens the page and waits for the first message; false when none came.
    bool open(quint16 port, const Options &options);
    bool open(quint16 port) { return open(port, Options()); }
    // Sends a request with the next id and waits for its answer; the answer's "error" or
    // "ok" for an accepted one, "closed" when the connection ended instead.
    QString ask(QJsonObject request);
    void sendText(const QString &text) { socket.sendTextMessage(text); }
    bool waitFor(const std::function<bool()> &condition, int ms = 5000);

    QWebSocket socket;
    QByteArray cookie;
    QJsonObject state;
    QList<QJsonObject> messages;
    // "input state" of each output's video level, every time the page was told of it.
    QMap<int, QStringList> videoHistory;
    int closeCode = -1;
    bool closed = false;

private:
    void receive(const QString &text);
    void noteRoute(int output);

    int m_nextId = 1;
};

} // namespace corvantis::test
