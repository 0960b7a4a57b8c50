#pragma once

#include "net/ControlServer.h"
#include "net/MatrixControl.h"
#include "net/Swp08Message.h"

#include <QHash>
#include <QPair>

namespace corvantis {

class Swp08Session;

// The SW-P-08 server: controllers route, interrogate, protect and read names of matrix 0
// (level 0 video, level 1 audio; a route on either runs on all levels). Every routing change
// reaches every controller as connected, and every lock change as protect connected or
// disconnected, the requester's own included: that is its answer.
class Swp08Server : public ControlServer {
    Q_OBJECT

public:
    static constexpr quint16 kDefaultPort = 8910;

    // matrix and locks must outlive the server.
    Swp08Server(MatrixControl &matrix, OutputLocks &locks, QObject *parent = nullptr);

protected:
    ClientConnection *connection(int clientId, QTcpSocket *socket) override;
    void broadcast(const ChangeGatherer::Changes &changes) override;

private:
    void handle(Swp08Session *client, const swp08::Bytes &data);
    void route(Swp08Session &client, const swp08::Request &request);
    void protect(Swp08Session &client, const swp08::Request &request);
    void answerTally(Swp08Session &client, const swp08::Request &request, swp08::Command command);
    void answerTallyDump(Swp08Session &client, const swp08::Request &request);
    void answerNames(Swp08Session &client, const swp08::Request &request);
    void answerProtect(Swp08Session &client, const swp08::Request &request, swp08::Command command);
    // The protect state of destination as recipient sees it: its own, someone else's or none.
    swp08::Bytes protectMessage(swp08::Command command, swp08::Form form, int level,
                                int destination, int recipient) const;
    bool isOutput(int output) const;

    // The device number the holder of each protected destination gave: destination to
    // (owner, device). Good only while that owner still holds it.
    QHash<int, QPair<int, int>> m_protectDevices;
};

} // namespace corvantis
