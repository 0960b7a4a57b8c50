#include "link/TcpTransport.h"

#include <QEventLoop>
#include <QTimer>

namespace corvantis {

TcpTransport::TcpTransport(const QString &host, quint16 port, bool rfc2217, QObject *parent)
    : LinkTransport(parent), m_host(host), m_port(port), m_rfc2217(rfc2217), m_socket(this)
{
    connect(&m_socket, &QTcpSocket::readyRead, this, &TcpTransport::onReadyRead);
    connect(&m_socket, &QTcpSocket::disconnected, this, &TcpTransport::onLost);
    connect(&m_socket, &QTcpSocket::errorOccurred, this, &TcpTransport::onLost);
}

template <typename Condition>
bool TcpTransport::waitUntil(std::chrono::steady_clock::time_point deadline, Condition done)
{
    while (!done()) {
        const auto now = std::chrono::steady_clock::now();
        if (now >= deadline)
            return false;
        QEventLoop loop;
        QTimer timer;
        timer.setTimerType(Qt::PreciseTimer);
        timer.setSingleShot(true);
        connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
        connect(&m_socket, &QTcpSocket::stateChanged, &loop, &QEventLoop::quit);
        connect(&m_socket, &QTcpSocket::readyRead, &loop, &QEventLoop::quit);
        timer.start(std::chrono::ceil<std::chrono::milliseconds>(deadline - now));
        loop.exec();
    }
    return true;
}

bool TcpTransport::open()
{
    if (m_open)
        return true;
    m_socket.abort();
    m_input.clear();
    m_error.clear();
    m_codec.reset();
    const auto deadline = std::chrono::steady_clock::now() + kConnectLimit;
    m_socket.connectToHost(m_host, m_port);
    const bool connected = waitUntil(deadline, [this] {
        return m_socket.state() == QAbstractSocket::ConnectedState ||
               m_socket.state() == QAbstractSocket::UnconnectedState;
    });
    if (!connected || m_socket.state() != QAbstractSocket::ConnectedState) {
        m_error = connected ? m_socket.errorString() : QStringLiteral("no answer within 2 s");
        m_socket.abort();
        return false;
    }
    m_socket.setSocketOption(QAbstractSocket::LowDelayOption, 1);
    if (m_rfc2217) {
        m_codec.emplace();
        m_socket.write(m_codec->start());
        m_socket.flush();
        // Line data sent before binary transmission is agreed could be altered on the way.
        // A server that never answers still gets the line once the connect bound has passed.
        waitUntil(deadline, [this] {
            return m_codec->binarySettled() || m_socket.state() != QAbstractSocket::ConnectedState;
        });
        if (m_socket.state() != QAbstractSocket::ConnectedState) {
            m_error = m_socket.errorString();
            m_socket.abort();
            return false;
        }
    }
    m_open = true;
    m_lost = false;
    return true;
}

void TcpTransport::close()
{
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
    if (takeIn() && m_open)
        emit readyRead();
}

void TcpTransport::onLost()
{
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
