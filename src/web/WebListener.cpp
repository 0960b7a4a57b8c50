#include "web/WebListener.h"

#include <QAbstractHttpServer>
#include <QFile>
#include <QSslCertificate>
#include <QSslKey>
#include <QSslServer>
#include <QTcpServer>
#include <utility>

namespace corvantis {

namespace {

QByteArray readSmallFile(const QString &path, QString &error)
{
    QFile file(path);
    // A certificate chain or a key is a few KiB; anything far larger is not one.
    constexpr qint64 kMaxBytes = 1 << 20;
    if (!file.open(QIODevice::ReadOnly)) {
        error = QStringLiteral("cannot read %1: %2").arg(path, file.errorString());
        return {};
    }
    QByteArray bytes = file.read(kMaxBytes + 1);
    if (bytes.size() > kMaxBytes)
        error = QStringLiteral("%1 is larger than 1 MiB").arg(path);
    return bytes;
}

} // namespace

WebListener::WebListener(QAbstractHttpServer &http, QObject *parent) : QObject(parent), m_http(http)
{
}

WebListener::~WebListener()
{
    close();
}

bool WebListener::setTls(const QString &certificateFile, const QString &keyFile)
{
    if (certificateFile.isEmpty() && keyFile.isEmpty()) {
        m_nextSecure = false;
        return true;
    }
    if (certificateFile.isEmpty() || keyFile.isEmpty()) {
        m_errorString = QStringLiteral("TLS needs both a certificate file and a key file");
        return false;
    }
    QString error;
    const QByteArray certificateText = readSmallFile(certificateFile, error);
    const QByteArray keyText = error.isEmpty() ? readSmallFile(keyFile, error) : QByteArray();
    if (!error.isEmpty()) {
        m_errorString = error;
        return false;
    }
    const QList<QSslCertificate> chain = QSslCertificate::fromData(certificateText, QSsl::Pem);
    if (chain.isEmpty()) {
        m_errorString = QStringLiteral("%1 holds no PEM certificate").arg(certificateFile);
        return false;
    }
    QSslKey key(keyText, QSsl::Rsa, QSsl::Pem);
    if (key.isNull())
        key = QSslKey(keyText, QSsl::Ec, QSsl::Pem);
    if (key.isNull()) {
        m_errorString = QStringLiteral("%1 holds no unencrypted PEM key").arg(keyFile);
        return false;
    }
    QSslConfiguration tls = QSslConfiguration::defaultConfiguration();
    tls.setLocalCertificateChain(chain);
    tls.setPrivateKey(key);
    tls.setPeerVerifyMode(QSslSocket::VerifyNone);
    tls.setProtocol(QSsl::TlsV1_2OrLater);
    m_nextTls = tls;
    m_nextSecure = true;
    return true;
}

bool WebListener::listen(const QHostAddress &address, quint16 port)
{
    QTcpServer *next = nullptr;
    if (m_nextSecure) {
        auto *secure = new QSslServer(&m_http);
        secure->setSslConfiguration(m_nextTls);
        next = secure;
    } else {
        next = new QTcpServer(&m_http);
    }
    bool taken = next->listen(address, port);
    if (!taken && port != 0 && m_server && m_server->isListening() &&
        m_server->serverPort() == port) {
        // The same port may clash with the socket being replaced (the wildcard address against
        // one of its own): that one steps aside, and comes back when the move fails.
        const QHostAddress before = m_server->serverAddress();
        m_server->close();
        taken = next->listen(address, port);
        if (!taken)
            m_server->listen(before, port);
    }
    if (!taken) {
        m_errorString = next->errorString();
        delete next;
        return false;
    }
    m_http.bind(next);
    delete std::exchange(m_server, next);
    m_secure = m_nextSecure;
    return true;
}

void WebListener::close()
{
    delete std::exchange(m_server, nullptr);
}

bool WebListener::isListening() const
{
    return m_server && m_server->isListening();
}

quint16 WebListener::serverPort() const
{
    return m_server ? m_server->serverPort() : 0;
}

bool WebListener::admit()
{
    if (m_clients >= kMaxClients)
        return false;
    ++m_clients;
    return true;
}

void WebListener::release()
{
    if (m_clients > 0)
        --m_clients;
}

} // namespace corvantis
