#pragma once

#include "link/LinkTransport.h"
#include "link/Rfc2217Codec.h"

#include <QTcpSocket>
#include <QTimer>
#include <chrono>
#include <optional>

namespace corvantis {

// The line behind a device server: raw TCP, or Telnet with serial-port control when a codec
// is used. Connecting is bounded; a frame leaves in one segment.
class TcpTransport : public LinkTransport {
    Q_OBJECT

public:
    static constexpr std::chrono::milliseconds kConnectLimit{2000};

    TcpTransport(const QString &host, quint16 port, bool rfc2217, QObject *parent = nullptr);

    bool open() override;
    bool isOpening() const override { return m_opening; }
    void close() override;
    bool isOpen() const override;
    bool write(const QByteArray &bytes) override;
    QByteArray readAll() override;
    qint64 bytesAvailable() const override;
    void clearInput() override;
    QString errorString() const override { return m_error; }

private:
    // True when line data arrived.
    bool takeIn();
    void onReadyRead();
    void onLost();
    void onConnected();
    // Ends the opening: open, or given up with the reason.
    void finishOpening(const QString &failure);

    QString m_host;
    quint16 m_port;
    bool m_rfc2217;
    QTcpSocket m_socket;
    QTimer m_connectLimit;
    std::optional<Rfc2217Codec> m_codec;
    QByteArray m_input;
    QString m_error;
    bool m_open = false;
    bool m_opening = false;
    // The loss is reported once; the owner closes.
    bool m_lost = false;
};

} // namespace corvantis
