#include "net/PanelSession.h"

#include <utility>

namespace corvantis {

PanelSession::PanelSession(int clientId, QTcpSocket *socket, QObject *parent)
    : ClientConnection(clientId, socket, parent)
{
}

void PanelSession::received(const QByteArray &bytes)
{
    QList<PanelBlock> blocks;
    const BlockReader::Status status = m_reader.feed(bytes, blocks);
    for (const PanelBlock &block : std::as_const(blocks)) {
        if (!isOpen())
            return;
        emit blockReceived(this, block);
    }
    if (status != BlockReader::Status::Ok)
        close(QStringLiteral("sent %1").arg(QLatin1String(BlockReader::describe(status))));
}

} // namespace corvantis
