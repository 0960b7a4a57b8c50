#pragma once

#include "net/BlockReader.h"
#include "net/ClientConnection.h"
#include "net/PanelBlock.h"

namespace corvantis {

// One text panel: its bytes cut into blocks within the reader's limits; a panel that passes
// one is closed.
class PanelSession : public ClientConnection {
    Q_OBJECT

public:
    // Takes the socket over.
    PanelSession(int clientId, QTcpSocket *socket, QObject *parent = nullptr);

signals:
    void blockReceived(corvantis::PanelSession *session, const corvantis::PanelBlock &block);

protected:
    void received(const QByteArray &bytes) override;

private:
    BlockReader m_reader;
};

} // namespace corvantis
