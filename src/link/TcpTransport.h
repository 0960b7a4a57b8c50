#pragma once

#include "link/LinkTransport.h"
#include "link/Rfc2217Codec.h"

#include <QTcpSocket>
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
    // Processes events until the condition holds or the connect bound has passed.
    template <typename Condition>
    bool waitUntil(std::chrono::steady_clock::time_point deadline, Condition done);

    QString m_host;
    quint16 m_port;
    bool m_rfc2217;
    QTcpSocket m_socket;
    std::optional<Rfc2217Codec> m_codec;
    QByteArray m_input;
    QString m_error;
    bool m_open = false;
    // The loss is reported once; the owner closes.
    bool m_lost = false;
};

} // namespace corvantis
