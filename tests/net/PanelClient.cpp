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
    const auto table = [&](QMap<int, QByteArray> &into) {
        for (const QByteArray &line : block.lines) {
            const qsizetype blank = line.indexOf(' ');
            into[line.left(blank).toInt()] = line.mid(blank + 1);
        }
    };
    if (block.header == PanelBlock::kAck) {
        ++acks;
    } else if (block.header == PanelBlock::kNak) {
        ++naks;
    } else if (block.header == PanelBlock::kEndPrelude) {
        preludeDone = true;
    } else if (block.header == PanelBlock::kOutputLocks) {
        table(locks);
    } else if (block.header == PanelBlock::kInputLabels) {
        table(inputLabels);
    } else if (block.header == PanelBlock::kOutputLabels) {
        table(outputLabels);
    } else if (block.header == PanelBlock::kOutputRouting) {
        QMap<int, QByteArray> lines;
        table(lines);
        for (auto it = lines.cbegin(); it != lines.cend(); ++it)
            routing[it.key()] = it.value().toInt();
    }
}

} // namespace corvantis::test
