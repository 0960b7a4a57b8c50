#include "net/PanelServer.h"

#include "core/OutputLocks.h"
#include "net/PanelBlock.h"
#include "net/PanelSession.h"
#include "net/PanelText.h"

#include <QLoggingCategory>
#include <QTcpServer>
#include <QTcpSocket>
#include <algorithm>
#include <utility>

namespace corvantis {

namespace {

Q_LOGGING_CATEGORY(lcPanel, "corvantis.net")

using Side = MatrixControl::Side;

QList<int> sorted(const QSet<int> &numbers)
{
    QList<int> list(numbers.begin(), numbers.end());
    std::sort(list.begin(), list.end());
    return list;
}

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
    : QObject(parent), m_matrix(matrix), m_locks(locks), m_server(new QTcpServer(this))
{
    m_changeTimer.setSingleShot(true);
    m_changeTimer.setInterval(0);
    connect(&m_changeTimer, &QTimer::timeout, this, &PanelServer::sendChanges);
    connect(&m_matrix, &MatrixControl::routingChanged, this,
            [this](const QList<int> &outputs) { markChanged(m_changedRouting, outputs); });
    connect(&m_matrix, &MatrixControl::labelsChanged, this,
            [this](const QList<int> &inputs, const QList<int> &outputs) {
                markChanged(m_changedInputLabels, inputs);
                markChanged(m_changedOutputLabels, outputs);
            });
    connect(&m_matrix, &MatrixControl::deviceChanged, this, &PanelServer::deviceChanged);
    connect(&m_locks, &OutputLocks::changed, this,
            [this](const QList<int> &outputs) { markChanged(m_changedLocks, outputs); });
}

PanelServer::~PanelServer()
{
    close();
}

bool PanelServer::listen(const QHostAddress &address, quint16 port)
{
    // The new socket first: a refused address changes nothing, and a move drops no client.
    auto *next = new QTcpServer(this);
    bool taken = next->listen(address, port);
    if (!taken && port != 0 && m_server->isListening() && m_server->serverPort() == port) {
        // The same port may clash with the socket being replaced (the wildcard address against
        // one of its own): that one steps aside, and comes back when the move fails.
        const QHostAddress before = m_server->serverAddress();
        m_server->close();
        taken = next->listen(address, port);
        if (!taken && !m_server->listen(before, port))
            qCWarning(lcPanel) << "panel server lost" << before.toString() << port;
    }
    if (!taken) {
        m_errorString = next->errorString();
        delete next;
        return false;
    }
    connect(next, &QTcpServer::newConnection, this, &PanelServer::acceptPending);
    delete std::exchange(m_server, next);
    qCInfo(lcPanel) << "panel server listening on" << address.toString() << m_server->serverPort();
    return true;
}

void PanelServer::close()
{
    m_server->close();
    const QList<PanelSession *> sessions = m_sessions;
    for (PanelSession *session : sessions)
        session->close(QStringLiteral("the server stopped"));
}

bool PanelServer::isListening() const
{
    return m_server->isListening();
}

quint16 PanelServer::serverPort() const
{
    return m_server->serverPort();
}

QString PanelServer::errorString() const
{
    return m_errorString;
}

void PanelServer::acceptPending()
{
    while (QTcpSocket *socket = m_server->nextPendingConnection()) {
        if (m_sessions.size() >= kMaxClients) {
            qCWarning(lcPanel) << "panel client" << socket->peerAddress().toString()
                               << "refused: already" << kMaxClients << "clients";
            socket->abort();
            socket->deleteLater();
            continue;
        }
        auto *session = new PanelSession(m_nextClientId++, socket, this);
        connect(session, &PanelSession::blockReceived, this, &PanelServer::handleBlock);
        connect(session, &PanelSession::closed, this, &PanelServer::sessionClosed);
        m_sessions.append(session);
        qCInfo(lcPanel) << "panel client" << session->clientId() << "connected from"
                        << session->peer();
        emit clientConnected(session->clientId(), session->peer());
        greet(*session);
    }
}

void PanelServer::greet(PanelSession &session)
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

void PanelServer::markChanged(QSet<int> &pending, const QList<int> &numbers)
{
    if (numbers.isEmpty() || m_sessions.isEmpty())
        return;
    pending.unite(QSet<int>(numbers.begin(), numbers.end()));
    if (!m_changeTimer.isActive())
        m_changeTimer.start();
}

void PanelServer::sendChanges()
{
    const MatrixControl::DeviceFacts facts = m_matrix.deviceFacts();
    const auto inRange = [](QSet<int> &pending, int count) {
        QList<int> list = sorted(pending);
        pending.clear();
        list.erase(std::remove_if(list.begin(), list.end(),
                                  [count](int n) { return n < 0 || n >= count; }),
                   list.end());
        return list;
    };
    const QList<int> inputLabels = inRange(m_changedInputLabels, facts.inputs);
    const QList<int> outputLabels = inRange(m_changedOutputLabels, facts.outputs);
    const QList<int> locks = inRange(m_changedLocks, facts.outputs);
    const QList<int> routing = inRange(m_changedRouting, facts.outputs);

    // What every client gets alike is formatted once.
    QByteArray shared;
    if (!inputLabels.isEmpty())
        shared += labelsBlock(Side::Input, inputLabels);
    if (!outputLabels.isEmpty())
        shared += labelsBlock(Side::Output, outputLabels);
    // An empty block would read as a query.
    const QList<MatrixControl::Route> known = knownRoutes(routing);
    const QByteArray routes = known.isEmpty() ? QByteArray() : PanelText::routing(known);

    const QList<PanelSession *> sessions = m_sessions;
    for (PanelSession *session : sessions) {
        QByteArray bytes = shared;
        if (!locks.isEmpty())
            bytes += locksBlock(locks, session->clientId());
        bytes += routes;
        if (!bytes.isEmpty())
            session->send(bytes);
    }
}

void PanelServer::sessionClosed(PanelSession *session, const QString &reason)
{
    m_sessions.removeOne(session);
    session->deleteLater();
    qCInfo(lcPanel) << "panel client" << session->clientId() << "closed:" << reason;
    m_locks.releaseAll(session->clientId());
    emit clientClosed(session->clientId(), reason);
}

void PanelServer::deviceChanged()
{
    // Sizes and names may all have changed; clients learn the new matrix when they reconnect.
    m_changedRouting.clear();
    m_changedInputLabels.clear();
    m_changedOutputLabels.clear();
    m_changedLocks.clear();
    const QList<PanelSession *> sessions = m_sessions;
    for (PanelSession *session : sessions)
        session->close(QStringLiteral("the configuration was replaced"));
}

} // namespace corvantis
