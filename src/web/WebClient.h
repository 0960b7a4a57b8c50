#pragma once

#include <QByteArray>
#include <QHostAddress>
#include <QObject>
#include <QString>
#include <QWebSocketProtocol>
#include <memory>

class QWebSocket;

namespace corvantis {

// One page's WebSocket: reads its text messages within kMaxMessage and sends it JSON. Never
// waits: a page that stops reading is closed once its unsent data passes the backlog bound,
// so it holds up neither the other pages nor the line. A closed client deletes itself once
// its socket is done.
class WebClient : public QObject {
    Q_OBJECT

public:
    static constexpr qint64 kMaxMessage = 64 * 1024;
    static constexpr int kClosingMs = 2000;

    // Takes the socket over; token names the page's session.
    WebClient(std::unique_ptr<QWebSocket> socket, QByteArray token, qint64 maxBacklog,
              QObject *parent = nullptr);
    ~WebClient() override;

    const QByteArray &token() const { return m_token; }
    QString peer() const { return m_peer; }
    QHostAddress address() const { return m_address; }
    bool isOpen() const { return m_open; }

    // Nothing happens once the client is closed.
    void send(const QByteArray &json);
    // Says why in the close frame and ends at once; emits closed once.
    void close(const QString &reason,
               QWebSocketProtocol::CloseCode code = QWebSocketProtocol::CloseCodePolicyViolated);

signals:
    void received(corvantis::WebClient *client, const QByteArray &message);
    void closed(corvantis::WebClient *client, const QString &reason);

private:
    void finish(const QString &reason);

    std::unique_ptr<QWebSocket> m_socket;
    QByteArray m_token;
    QString m_peer;
    QHostAddress m_address;
    qint64 m_maxBacklog;
    // Bytes handed to the socket and not yet written to the system.
    qint64 m_backlog = 0;
    bool m_open = true;
};

} // namespace corvantis
