#include "net/PanelServer.h"

#include "core/OutputLocks.h"
#include "net/PanelBlock.h"
#include "net/PanelSession.h"
#include "net/PanelText.h"

#include <QLoggingCategory>

namespace corvantis {

namespace {

Q_LOGGING_CATEGORY(lcPanel, "corvantis.net")

using Side = MatrixControl::Side;

QList<int> upTo(int count)
{
    QList<int> list;
    list.reserve(count);
    for (int n = 0; n < count; ++n)
        list.append(n);
    return list;
}

} // namespace

PanelServer::PanelServer(MatrixControl &matrix, OutputLocks &locks, QObject *parent)
    : ControlServer(QStringLiteral("panel"), matrix, locks, parent)
{
}

ClientConnection *PanelServer::connection(int clientId, QTcpSocket *socket)
{
    auto *session = new PanelSession(clientId, socket, this);
    connect(session, &PanelSession::blockReceived, this, &PanelServer::handleBlock);
    return session;
}

void PanelServer::welcome(ClientConnection &session)
{
    const MatrixControl::DeviceFacts facts = m_matrix.deviceFacts();
    session.send(PanelText::preamble() + PanelText::device(facts) +
                 labelsBlock(Side::Input, upTo(facts.inputs)) +
                 labelsBlock(Side::Output, upTo(facts.outputs)) +
                 locksBlock(upTo(facts.outputs), session.clientId()) +
                 PanelText::routing(knownRoutes(upTo(facts.outputs))) + PanelText::endPrelude());
}

void PanelServer::handleBlock(PanelSession *session, const PanelBlock &block)
{
    const int client = session->clientId();
    const PanelRequest request = PanelRequest::parse(block);
    QString refused = refusal(request, client);
    // Accepted means on the action path: nothing is acknowledged and then dropped. What a
    // request changes reaches the clients on a later turn, after the answer.
    if (refused.isEmpty()) {
        switch (request.kind) {
        case PanelRequest::Kind::Route:
            if (!m_matrix.requestRoute(request.routes, client))
                refused = QStringLiteral("too many actions waiting");
            break;
        case PanelRequest::Kind::Rename:
            if (!m_matrix.requestRename(request.side, request.labels, client))
                refused = QStringLiteral("too many actions waiting");
            break;
        case PanelRequest::Kind::Lock:
            // Taken before the answer: should the answer overflow the client's backlog, the
            // closing session releases this lock with the others.
            applyLocks(request, client);
            break;
        default:
            break;
        }
    }
    if (!refused.isEmpty()) {
        qCInfo(lcPanel) << "panel client" << client << "NAK:" << refused;
        session->send(PanelText::nak());
        return;
    }
    session->send(PanelText::ack());
    if (request.kind == PanelRequest::Kind::Query && session->isOpen())
        session->send(fullBlock(request.header, client));
}

QString PanelServer::refusal(const PanelRequest &request, int clientId) const
{
    const MatrixControl::DeviceFacts facts = m_matrix.deviceFacts();
    const auto outputOk = [&](int output) {
        return output < facts.outputs && m_matrix.isOwned(Side::Output, output);
    };
    switch (request.kind) {
    case PanelRequest::Kind::Malformed:
        return QStringLiteral("malformed %1 block").arg(QString::fromUtf8(request.header));
    case PanelRequest::Kind::Unknown:
        return QStringLiteral("unknown block %1").arg(QString::fromUtf8(request.header.left(64)));
    case PanelRequest::Kind::Route:
        for (const auto &[output, input] : request.routes) {
            if (output >= facts.outputs || input >= facts.inputs ||
                !m_matrix.canRoute(output, input))
                return QStringLiteral("no crosspoint %1 %2").arg(output).arg(input);
            if (m_locks.lockedAgainst(output, clientId))
                return QStringLiteral("output %1 is locked").arg(output);
        }
        break;
    case PanelRequest::Kind::Rename:
        for (const auto &[index, name] : request.labels) {
            const int count = request.side == Side::Input ? facts.inputs : facts.outputs;
            if (index >= count || !m_matrix.isOwned(request.side, index))
                return QStringLiteral("no port %1 to name").arg(index);
            const QString why = m_matrix.labelRefusal(name);
            if (!why.isEmpty())
                return why;
        }
        break;
    case PanelRequest::Kind::Lock:
        for (const auto &[output, action] : request.locks) {
            if (!outputOk(output))
                return QStringLiteral("no output %1 to lock").arg(output);
            if (action != PanelRequest::LockAction::Force &&
                m_locks.lockedAgainst(output, clientId))
                return QStringLiteral("output %1 is locked by another client").arg(output);
        }
        break;
    case PanelRequest::Kind::Ping:
    case PanelRequest::Kind::Query:
        break;
    }
    return {};
}

void PanelServer::applyLocks(const PanelRequest &request, int clientId)
{
    for (const auto &[output, action] : request.locks) {
        switch (action) {
        case PanelRequest::LockAction::Own:
            m_locks.lock(output, clientId);
            break;
        case PanelRequest::LockAction::Unlock:
            m_locks.unlock(output, clientId);
            break;
        case PanelRequest::LockAction::Force:
            m_locks.forceUnlock(output);
            break;
        }
    }
}

QByteArray PanelServer::fullBlock(const QByteArray &header, int clientId) const
{
    const MatrixControl::DeviceFacts facts = m_matrix.deviceFacts();
    if (header == PanelBlock::kDevice)
        return PanelText::device(facts);
    if (header == PanelBlock::kInputLabels)
        return labelsBlock(Side::Input, upTo(facts.inputs));
    if (header == PanelBlock::kOutputLabels)
        return labelsBlock(Side::Output, upTo(facts.outputs));
    if (header == PanelBlock::kOutputLocks)
        return locksBlock(upTo(facts.outputs), clientId);
    return PanelText::routing(knownRoutes(upTo(facts.outputs)));
}

QByteArray PanelServer::labelsBlock(Side side, const QList<int> &indexes) const
{
    QList<MatrixControl::Label> labels;
    labels.reserve(indexes.size());
    for (const int index : indexes)
        labels.append({index, m_matrix.label(side, index)});
    return PanelText::labels(side, labels);
}

QByteArray PanelServer::locksBlock(const QList<int> &outputs, int clientId) const
{
    QList<PanelText::LockLine> lines;
    lines.reserve(outputs.size());
    for (const int output : outputs) {
        const int holder = m_locks.holder(output);
        lines.append({output, holder == OutputLocks::kNobody ? PanelText::LockView::Free
                              : holder == clientId           ? PanelText::LockView::Own
                                                             : PanelText::LockView::Other});
    }
    return PanelText::locks(lines);
}

// An output whose route is not known has no line: the protocol cannot say "none".
QList<MatrixControl::Route> PanelServer::knownRoutes(const QList<int> &outputs) const
{
    const int inputs = m_matrix.deviceFacts().inputs;
    QList<MatrixControl::Route> routes;
    routes.reserve(outputs.size());
    for (const int output : outputs) {
        const int input = m_matrix.routedInput(output);
        if (input >= 0 && input < inputs)
            routes.append({output, input});
    }
    return routes;
}

void PanelServer::broadcast(const ChangeGatherer::Changes &changes)
{
    // What every client gets alike is formatted once.
    QByteArray shared;
    if (!changes.inputLabels.isEmpty())
        shared += labelsBlock(Side::Input, changes.inputLabels);
    if (!changes.outputLabels.isEmpty())
        shared += labelsBlock(Side::Output, changes.outputLabels);
    // An empty block would read as a query.
    const QList<MatrixControl::Route> known = knownRoutes(changes.routing);
    const QByteArray routes = known.isEmpty() ? QByteArray() : PanelText::routing(known);

    const QList<ClientConnection *> sessions = clients();
    for (ClientConnection *session : sessions) {
        QByteArray bytes = shared;
        if (!changes.locks.isEmpty())
            bytes += locksBlock(changes.locks, session->clientId());
        bytes += routes;
        if (!bytes.isEmpty())
            session->send(bytes);
    }
}

} // namespace corvantis
