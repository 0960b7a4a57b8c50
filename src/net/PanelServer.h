#pragma once

#include "net/ControlServer.h"
#include "net/MatrixControl.h"
#include "net/PanelRequest.h"

#include <QList>

namespace corvantis {

class PanelSession;
struct PanelBlock;

// The text panel server: each panel is greeted with the full state, answered ACK or NAK before
// its request is queued, and sent every change as the changed lines only.
class PanelServer : public ControlServer {
    Q_OBJECT

public:
    static constexpr quint16 kDefaultPort = 9990;

    // matrix and locks must outlive the server.
    PanelServer(MatrixControl &matrix, OutputLocks &locks, QObject *parent = nullptr);

protected:
    ClientConnection *connection(int clientId, QTcpSocket *socket) override;
    void welcome(ClientConnection &client) override;
    void broadcast(const ChangeGatherer::Changes &changes) override;

private:
    void handleBlock(PanelSession *session, const PanelBlock &block);
    // Why the request cannot be done, or empty when it can.
    QString refusal(const PanelRequest &request, int clientId) const;
    void applyLocks(const PanelRequest &request, int clientId);
    QByteArray fullBlock(const QByteArray &header, int clientId) const;

    QByteArray labelsBlock(MatrixControl::Side side, const QList<int> &indexes) const;
    QByteArray locksBlock(const QList<int> &outputs, int clientId) const;
    QList<MatrixControl::Route> knownRoutes(const QList<int> &outputs) const;
};

} // namespace corvantis
