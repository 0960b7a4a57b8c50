#include "net/Swp08Server.h"

#include "core/OutputLocks.h"

#include <QLoggingCategory>
#include <QTcpServer>
#include <QTcpSocket>
#include <algorithm>
#include <map>
#include <set>
#include <utility>

namespace corvantis {

namespace {

Q_LOGGING_CATEGORY(lcSwp08, "corvantis.net.swp08")

using namespace swp08;

constexpr int kLevels = 2; // video and audio; both follow every route

QString Hex(const Bytes &bytes)
{
    return QString::fromLatin1(
        QByteArray(reinterpret_cast<const char *>(bytes.data()), qsizetype(bytes.size()))
            .toHex(' '));
}

std::string Ascii(const QString &text)
{
    std::string out;
    out.reserve(std::size_t(text.size()));
    for (QChar c : text)
        out.push_back(c.unicode() >= 0x20 && c.unicode() < 0x7F ? char(c.unicode()) : '?');
    return out;
}

} // namespace

struct Swp08Server::Client {
    int id;
    QTcpSocket *socket;
    QString peer;
    FrameReader reader;
    bool open = true;
    // Unasked messages follow the form the controller last used.
    Form form = Form::General;
    // The device number each of its protects named, per destination.
    std::map<int, int> protectDevice;
};

Swp08Server::Swp08Server(MatrixControl &matrix, OutputLocks &locks, QObject *parent)
    : QObject(parent), m_matrix(matrix), m_locks(locks), m_server(new QTcpServer(this))
{
    connect(&m_matrix, &MatrixControl::routingChanged, this, &Swp08Server::routingChanged);
    // As the text panels: what a controller knew (numbers, names, its protects) may be gone.
    connect(&m_matrix, &MatrixControl::deviceChanged, this, [this] {
        for (const auto &client : m_clients)
            drop(client.get(), QStringLiteral("the configuration was replaced"));
    });
}

Swp08Server::~Swp08Server()
{
    close();
}

bool Swp08Server::listen(const QHostAddress &address, quint16 port)
{
    auto *next = new QTcpServer(this);
    if (!next->listen(address, port)) {
        m_errorString = next->errorString();
        delete next;
        return false;
    }
    connect(next, &QTcpServer::newConnection, this, &Swp08Server::acceptPending);
    delete std::exchange(m_server, next);
    qCInfo(lcSwp08) << "SW-P-08 server listening on" << address.toString()
                    << m_server->serverPort();
    return true;
}

void Swp08Server::close()
{
    m_server->close();
    while (!m_clients.empty()) {
        Client *client = m_clients.back().get();
        drop(client, QStringLiteral("the server stopped"));
        remove(client);
    }
}

bool Swp08Server::isListening() const
{
    return m_server->isListening();
}

quint16 Swp08Server::serverPort() const
{
    return m_server->serverPort();
}

void Swp08Server::acceptPending()
{
    while (QTcpSocket *socket = m_server->nextPendingConnection()) {
        if (m_clients.size() >= std::size_t(kMaxClients)) {
            qCWarning(lcSwp08) << "SW-P-08 controller" << socket->peerAddress().toString()
                               << "refused: already" << kMaxClients << "controllers";
            socket->abort();
            socket->deleteLater();
            continue;
        }
        auto owned = std::make_unique<Client>();
        Client *client = owned.get();
        client->id = m_nextClientId++;
        client->socket = socket;
        client->peer = socket->peerAddress().toString() + ':' + QString::number(socket->peerPort());
        socket->setParent(this);
        m_clients.push_back(std::move(owned));
        connect(socket, &QTcpSocket::readyRead, this, [this, client] { readAvailable(client); });
        connect(socket, &QTcpSocket::disconnected, this,
                [this, client] { drop(client, QStringLiteral("the controller disconnected")); });
        qCInfo(lcSwp08) << "SW-P-08 controller" << client->id << "connected from" << client->peer;
        emit clientConnected(client->id, client->peer);
    }
}

void Swp08Server::readAvailable(Client *client)
{
    const QByteArray bytes = client->socket->readAll();
    const auto events = client->reader.feed(std::span(
        reinterpret_cast<const std::uint8_t *>(bytes.constData()), std::size_t(bytes.size())));
    for (const auto &event : events) {
        if (!client->open)
            return;
        using Kind = FrameReader::Event::Kind;
        switch (event.kind) {
        case Kind::Message:
            sendRaw(client, AckBytes());
            handle(client, event.data);
            break;
        case Kind::Bad:
            qCWarning(lcSwp08) << "SW-P-08 controller" << client->id
                               << "sent a bad message, answered NAK:" << event.reason.c_str();
            sendRaw(client, NakBytes());
            break;
        case Kind::Skipped:
            qCWarning(lcSwp08) << "SW-P-08 controller" << client->id << "sent"
                               << event.reason.c_str();
            break;
        case Kind::Nak:
            qCWarning(lcSwp08) << "SW-P-08 controller" << client->id << "refused a message";
            break;
        case Kind::Ack:
            break;
        }
    }
}

void Swp08Server::handle(Client *client, const Bytes &data)
{
    const Request request = ParseRequest(data);
    if (!request.valid) {
        qCWarning(lcSwp08) << "SW-P-08 controller" << client->id << "message" << Hex(data)
                           << "ignored:" << request.reason.c_str();
        return;
    }
    client->form = request.form;
    if (request.matrix != 0 || request.level >= kLevels) {
        qCWarning(lcSwp08) << "SW-P-08 controller" << client->id << "asked for matrix"
                           << request.matrix << "level" << request.level
                           << "which do not exist here (matrix 0, levels 0 and 1)";
        return;
    }
    switch (request.command) {
    case Command::Interrogate:
        answerTally(client, request, Command::Tally);
        break;
    case Command::Connect: {
        const int output = request.destination;
        QString refused;
        if (!isOutput(output))
            refused = QStringLiteral("no such destination");
        else if (m_locks.lockedAgainst(output, client->id))
            refused = QStringLiteral("the destination is protected");
        else if (!m_matrix.canRoute(output, request.source))
            refused = QStringLiteral("that source cannot reach it");
        else if (!m_matrix.requestRoute({{output, request.source}}, client->id))
            refused = QStringLiteral("too many actions waiting");
        if (refused.isEmpty())
            break; // the routing change that follows answers every controller
        qCInfo(lcSwp08) << "SW-P-08 controller" << client->id << "connect" << request.source << "to"
                        << output << "refused:" << refused;
        answerTally(client, request, Command::Connected);
        break;
    }
    case Command::TallyDumpRequest:
        answerTallyDump(client, request);
        break;
    case Command::SourceNamesRequest:
    case Command::DestinationNamesRequest:
        answerNames(client, request);
        break;
    case Command::ProtectInterrogate:
        answerProtect(client, request, Command::ProtectTally);
        break;
    case Command::ProtectConnect:
        if (isOutput(request.destination) && m_locks.lock(request.destination, client->id))
            client->protectDevice[request.destination] = request.device;
        answerProtect(client, request, Command::ProtectConnected);
        break;
    case Command::ProtectDisconnect:
        if (isOutput(request.destination))
            m_locks.unlock(request.destination, client->id);
        answerProtect(client, request, Command::ProtectDisconnected);
        break;
    default:
        break;
    }
}

bool Swp08Server::isOutput(int output) const
{
    return output >= 0 && output < m_matrix.deviceFacts().outputs &&
           m_matrix.isOwned(MatrixControl::Side::Output, output);
}

void Swp08Server::answerTally(Client *client, const Request &request, Command command)
{
    const int source =
        isOutput(request.destination) ? m_matrix.routedInput(request.destination) : -1;
    if (source < 0) {
        qCInfo(lcSwp08) << "SW-P-08 controller" << client->id << "destination"
                        << request.destination << "has no known source; no answer";
        return;
    }
    send(client, CrosspointAnswer(command, request.form, request.matrix, request.level,
                                  request.destination, source));
}

void Swp08Server::answerTallyDump(Client *client, const Request &request)
{
    // Only what is known is reported: each run of known routes is its own dump.
    const int outputs = m_matrix.deviceFacts().outputs;
    int first = 0;
    std::vector<int> run;
    for (int output = 0; output <= outputs; ++output) {
        const int source = output < outputs && isOutput(output) ? m_matrix.routedInput(output) : -1;
        if (source >= 0) {
            if (run.empty())
                first = output;
            run.push_back(source);
            continue;
        }
        for (const Bytes &message :
             TallyDump(request.form, request.matrix, request.level, first, run))
            send(client, message);
        run.clear();
    }
}

void Swp08Server::answerNames(Client *client, const Request &request)
{
    const bool sources = request.command == Command::SourceNamesRequest;
    const auto side = sources ? MatrixControl::Side::Input : MatrixControl::Side::Output;
    const MatrixControl::DeviceFacts facts = m_matrix.deviceFacts();
    std::vector<std::string> names;
    for (int n = 0; n < (sources ? facts.inputs : facts.outputs); ++n)
        names.push_back(Ascii(m_matrix.label(side, n)));
    const auto answer = sources ? Command::SourceNames : Command::DestinationNames;
    for (const Bytes &message :
         NamesAnswer(answer, request.matrix, request.level, request.nameLength, 0, names))
        send(client, message);
}

void Swp08Server::answerProtect(Client *client, const Request &request, Command command)
{
    if (!isOutput(request.destination)) {
        qCWarning(lcSwp08) << "SW-P-08 controller" << client->id << "protect of destination"
                           << request.destination << "which does not exist here; no answer";
        return;
    }
    const int holder = m_locks.holder(request.destination);
    Protect state = Protect::None;
    int device = 0;
    if (holder != OutputLocks::kNobody) {
        state = holder == client->id ? Protect::ByController : Protect::ByOther;
        for (const auto &other : m_clients) {
            if (other->id == holder && other->protectDevice.count(request.destination))
                device = other->protectDevice.at(request.destination);
        }
    }
    send(client, ProtectAnswer(command, request.form, request.matrix, request.level,
                               request.destination, state, device));
}

void Swp08Server::routingChanged(const QList<int> &outputs)
{
    const std::set<int> unique(outputs.begin(), outputs.end());
    for (const auto &client : m_clients) {
        for (int output : unique) {
            const int source = isOutput(output) ? m_matrix.routedInput(output) : -1;
            if (source < 0)
                continue;
            for (int level = 0; level < kLevels; ++level)
                send(client.get(),
                     CrosspointAnswer(Command::Connected, client->form, 0, level, output, source));
        }
    }
}

void Swp08Server::send(Client *client, const Bytes &data)
{
    sendRaw(client, EncodeMessage(data));
}

void Swp08Server::sendRaw(Client *client, const Bytes &bytes)
{
    if (!client->open)
        return;
    client->socket->write(reinterpret_cast<const char *>(bytes.data()), qint64(bytes.size()));
    if (client->socket->bytesToWrite() > kMaxBacklog)
        drop(client, QStringLiteral("it stopped reading"));
}

void Swp08Server::drop(Client *client, const QString &reason)
{
    if (!client->open)
        return;
    client->open = false;
    m_locks.releaseAll(client->id);
    qCInfo(lcSwp08) << "SW-P-08 controller" << client->id << "closed:" << reason;
    emit clientClosed(client->id, reason);
    client->socket->disconnect(this);
    client->socket->abort();
    // Later, so no caller further up still holds the client.
    QMetaObject::invokeMethod(
        this, [this, client] { remove(client); }, Qt::QueuedConnection);
}

void Swp08Server::remove(Client *client)
{
    const auto at = std::find_if(m_clients.begin(), m_clients.end(),
                                 [client](const auto &owned) { return owned.get() == client; });
    if (at == m_clients.end())
        return;
    (*at)->socket->deleteLater();
    m_clients.erase(at);
}

} // namespace corvantis
