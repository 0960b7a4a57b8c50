#include "link/AddressProbe.h"

#include "link/TcpTransport.h"

#include <QFileInfo>

namespace corvantis {

AddressProbe::AddressProbe(QObject *parent) : QObject(parent), m_socket(this), m_limit(this)
{
    m_limit.setSingleShot(true);
    connect(&m_socket, &QTcpSocket::connected, this, [this] { report(true, {}); });
    connect(&m_socket, &QTcpSocket::errorOccurred, this,
            [this] { report(false, m_socket.errorString()); });
    connect(&m_limit, &QTimer::timeout, this,
            [this] { report(false, QStringLiteral("no answer within 2 s")); });
}

void AddressProbe::probe(const PortAddress &address)
{
    cancel();
    if (!address.isNetwork()) {
        const bool exists = QFileInfo::exists(address.device);
        emit finished(exists, exists ? QString() : QStringLiteral("the device does not exist"));
        return;
    }
    m_pending = true;
    m_limit.start(TcpTransport::kConnectLimit);
    m_socket.connectToHost(address.host, address.port);
}

void AddressProbe::cancel()
{
    m_pending = false;
    m_limit.stop();
    m_socket.abort();
}

void AddressProbe::report(bool answers, const QString &detail)
{
    if (!m_pending)
        return;
    cancel();
    emit finished(answers, detail);
}

} // namespace corvantis
