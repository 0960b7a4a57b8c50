#include "link/TcpTransport.h"

namespace corvantis {

TcpTransport::TcpTransport(const QString &host, quint16 port, bool rfc2217, QObject *parent)
    : LinkTransport(parent), m_host(host), m_port(port), m_rfc2217(rfc2217), m_socket(this)
{
    m_connectLimit.setSingleShot(true);
    m_connectLimit.setTimerType(Qt::PreciseTimer);
    connect(&m_connectLimit, &QTimer::timeout, this, [this] {
        // A server that never settles the binary option still gets the line at the bound.
        if (m_codec && m_socket.state() == QAbstractSocket::ConnectedState)
            finishOpening({});
        else
            finishOpening(QStringLiteral("no answer within 2 s"));
    });
    connect(&m_socket, &QTcpSocket::connected, this, &TcpTransport::onConnected);
    connect(&m_socket, &QTcpSocket::readyRead, this, &TcpTransport::onReadyRead);
    connect(&m_socket, &QTcpSocket::disconnected, this, &TcpTransport::onLost);
    connect(&m_socket, &QTcpSocket::errorOccurred, this, &TcpTransport::onLost);
}

bool TcpTransport::open()
{
    if (m_open || m_opening)
        return true;
    m_socket.abort();
    m_input.clear();
    m_error.clear();
    m_codec.reset();
    m_opening = true;
    m_connectLimit.start(kConnectLimit);
    m_socket.connectToHost(m_host, m_port);
    return m_opening || m_open;
}

void TcpTransport::onConnected()
{
    if (!m_opening)
        return;
    m_socket.setSocketOption(QAbstractSocket::LowDelayOption, 1);
    if (!m_rfc2217) {
        finishOpening({});
        return;
    }
    // Line data sent before binary transmission is agreed could be altered on the way.
    m_codec.emplace();
    m_socket.write(m_codec->start());
    m_socket.flush();
}

void TcpTransport::finishOpening(const QString &failure)
{
    if (!m_opening)
        return;
    m_opening = false;
    m_connectLimit.stop();
    if (failure.isEmpty()) {
        m_open = true;
        m_lost = false;
    } else {
        m_error = failure;
        m_socket.abort();
    }
    emit openFinished();
}

void TcpTransport::close()
{
    if (m_opening) {
        m_opening = false;
        m_connectLimit.stop();
        m_error = QStringLiteral("closed while connecting");
    }
    m_open = false;
    m_lost = false;
    m_socket.abort();
    m_input.clear();
}

bool TcpTransport::isOpen() const
{
    return m_open;
}

bool TcpTransport::write(const QByteArray &bytes)
{
    if (!m_open)
        return false;
    const QByteArray wire = m_codec ? Rfc2217Codec::escape(bytes) : bytes;
    if (m_socket.write(wire) != wire.size())
        return false;
    m_socket.flush();
    return true;
}

bool TcpTransport::takeIn()
{
    const QByteArray received = m_socket.readAll();
    const qsizetype before = m_input.size();
    if (!m_codec) {
        m_input += received;
    } else {
        QByteArray reply;
        m_input += m_codec->decode(received, reply);
        if (!reply.isEmpty()) {
            m_socket.write(reply);
            m_socket.flush();
        }
    }
    return m_input.size() > before;
}

void TcpTransport::onReadyRead()
{
    const bool data = takeIn();
    if (m_opening && m_codec && m_codec->binarySettled())
        finishOpening({});
    if (data && m_open)
        emit readyRead();
}

void TcpTransport::onLost()
{
    if (m_opening) {
        finishOpening(m_socket.errorString());
        return;
    }
    if (!m_open || m_lost)
        return;
    m_lost = true;
    m_error = m_socket.error() == QAbstractSocket::UnknownSocketError
                  ? QStringLiteral("connection closed")
                  : m_socket.errorString();
    emit errorOccurred(static_cast<int>(m_socket.error()), m_error);
}

QByteArray TcpTransport::readAll()
{
    QByteArray data;
    data.swap(m_input);
    return data;
}

qint64 TcpTransport::bytesAvailable() const
{
    return m_input.size();
}

void TcpTransport::clearInput()
{
    // What the socket holds is taken in (and its Telnet commands answered) before it goes.
    takeIn();
    m_input.clear();
}

} // namespace corvantis
