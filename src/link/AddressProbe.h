#pragma once

#include "link/PortAddress.h"

#include <QObject>
#include <QTcpSocket>
#include <QTimer>

namespace corvantis {

// Whether a port address answers, for the setup dialog: a device that exists, or a device
// server that accepts a connection within the connect bound. The connection is dropped at
// once; only the latest probe reports.
class AddressProbe : public QObject {
    Q_OBJECT

public:
    explicit AddressProbe(QObject *parent = nullptr);

    void probe(const PortAddress &address);
    void cancel();

signals:
    void finished(bool answers, const QString &detail);

private:
    void report(bool answers, const QString &detail);

    QTcpSocket m_socket;
    QTimer m_limit;
    bool m_pending = false;
};

} // namespace corvantis
