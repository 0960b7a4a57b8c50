#include "PanelClient.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QTimer>

namespace corvantis::test {

PanelClient::PanelClient(QObject *parent) : QObject(parent)
{
    connect(&m_socket, &QTcpSocket::readyRead, this, &PanelClient::readAvailable);
}

bool PanelClient::open(quint16 port)
{
    m_socket.connectToHost(QHostAddress::LocalHost, port);
    // A refused connection ends the wait at once, so a caller can try again.
    waitFor(
        [this] { return preludeDone || m_socket.state() == QAbstractSocket::UnconnectedState; });
    return preludeDone;
}

void PanelClient::send(const QByteArray &bytes)
{
    m_socket.write(bytes);
}

// Sleeps until the next event rather than polling, so the server's latency is not padded.
bool PanelClient::waitFor(const std::function<bool()> &condition, int ms)
{
    QDeadlineTimer deadline(ms);
    QTimer wake;
    wake.start(std::chrono::milliseconds(20));
    while (!condition()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    return true;
}

void PanelClient::readAvailable()
{
    const QByteArray bytes = m_socket.readAll();
    received += bytes;
    QList<PanelBlock> blocks;
    m_reader.feed(bytes, blocks);
    for (const PanelBlock &block : std::as_const(blocks))
        apply(block);
}

void PanelClient::apply(const PanelBlock &block)
{
    acks += block.header == PanelBlock::kAck;
    naks += block.header == PanelBlock::kNak;
    preludeDone = preludeDone || block.header == PanelBlock::kEndPrelude;
    QMap<int, QByteArray> *const table = block.header == PanelBlock::kOutputLocks    ? &locks
                                         : block.header == PanelBlock::kInputLabels  ? &inputLabels
                                         : block.header == PanelBlock::kOutputLabels ? &outputLabels
                                                                                     : nullptr;
    for (const QByteArray &line : block.lines) {
        const qsizetype blank = line.indexOf(' ');
        if (table)
            (*table)[line.left(blank).toInt()] = line.mid(blank + 1);
        else if (block.header == PanelBlock::kOutputRouting)
            routing[line.left(blank).toInt()] = line.mid(blank + 1).toInt();
    }
}

} // namespace corvantis::test
