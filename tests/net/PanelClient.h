#pragma once

#include "net/BlockReader.h"

#include <QByteArray>
#include <QMap>
#include <QObject>
#include <QTcpSocket>
#include <functional>

namespace corvantis::test {

// A control panel on a real socket: keeps every byte it received and the state the server's
// blocks describe, as a panel would show it.
class PanelClient : public QObject {
    Q_OBJECT

public:
    explicit PanelClient(QObject *parent = nullptr);

    // Connects and waits for the end of the prelude; false when it did not come.
    bool open(quint16 port);
    void send(const QByteArray &bytes);
    bool waitFor(const std::function<bool()> &condition, int ms = 5000);
    bool connected() const { return m_socket.state() == QAbstractSocket::ConnectedState; }

    QTcpSocket &socket() { return m_socket; }
    QByteArray received;
    bool preludeDone = false;
    int acks = 0;
    int naks = 0;
    QMap<int, int> routing;
    QMap<int, QByteArray> locks;
    QMap<int, QByteArray> inputLabels;
    QMap<int, QByteArray> outputLabels;

private:
    void readAvailable();
    void apply(const PanelBlock &block);

    QTcpSocket m_socket;
    BlockReader m_reader;
};

} // namespace corvantis::test
