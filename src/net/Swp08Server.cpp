#include "net/Swp08Server.h"

#include "core/OutputLocks.h"
#include "net/Swp08Session.h"

#include <QLoggingCategory>

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

Swp08Server::Swp08Server(MatrixControl &matrix, OutputLocks &locks, QObject *parent)
    : ControlServer(QStringLiteral("SW-P-08"), matrix, locks, parent)
{
}

ClientConnection *Swp08Server::connection(int clientId, QTcpSocket *socket)
{
    auto *session = new Swp08Session(clientId, socket, this);
    QObject::connect(session, &Swp08Session::messageReceived, this, &Swp08Server::handle);
    return session;
}

void Swp08Server::handle(Swp08Session *client, const Bytes &data)
{
    const Request request = ParseRequest(data);
    if (!request.valid) {
        qCWarning(lcSwp08) << "SW-P-08 controller" << client->clientId() << "message" << Hex(data)
                           << "ignored:" << request.reason.c_str();
        return;
    }
    client->setForm(request.form);
    if (request.matrix != 0 || request.level >= kLevels) {
        qCWarning(lcSwp08) << "SW-P-08 controller" << client->clientId() << "asked for matrix"
                           << request.matrix << "level" << request.level
                           << "which do not exist here (matrix 0, levels 0 and 1)";
        return;
    }
    switch (request.command) {
    case Command::Interrogate:
        answerTally(*client, request, Command::Tally);
        break;
    case Command::Connect:
        route(*client, request);
        break;
    case Command::TallyDumpRequest:
        answerTallyDump(*client, request);
        break;
    case Command::SourceNamesRequest:
    case Command::DestinationNamesRequest:
        answerNames(*client, request);
        break;
    case Command::ProtectInterrogate:
        answerProtect(*client, request, Command::ProtectTally);
        break;
    case Command::ProtectConnect:
    case Command::ProtectDisconnect:
        protect(*client, request);
        break;
    default:
        break;
    }
}

void Swp08Server::route(Swp08Session &client, const Request &request)
{
    const int output = request.destination;
    QString refused;
    if (!isOutput(output))
        refused = QStringLiteral("no such destination");
    else if (m_locks.lockedAgainst(output, client.clientId()))
        refused = QStringLiteral("the destination is protected");
    else if (!m_matrix.canRoute(output, request.source))
        refused = QStringLiteral("that source cannot reach it");
    else if (!m_matrix.requestRoute({{output, request.source}}, client.clientId()))
        refused = QStringLiteral("too many actions waiting");
    if (refused.isEmpty())
        return; // the routing change that follows answers every controller
    qCInfo(lcSwp08) << "SW-P-08 controller" << client.clientId() << "connect" << request.source
                    << "to" << output << "refused:" << refused;
    answerTally(client, request, Command::Connected);
}

void Swp08Server::protect(Swp08Session &client, const Request &request)
{
    const int output = request.destination;
    const int before = m_locks.holder(output);
    const bool connect = request.command == Command::ProtectConnect;
    if (isOutput(output)) {
        if (!connect)
            m_locks.unlock(output, client.clientId());
        else if (m_locks.lock(output, client.clientId()))
            m_protectDevices[output] = {client.clientId(), request.device};
    }
    // A change answers every controller; a refusal or no change only the requester.
    if (m_locks.holder(output) == before)
        answerProtect(client, request,
                      connect ? Command::ProtectConnected : Command::ProtectDisconnected);
}

bool Swp08Server::isOutput(int output) const
{
    return m_matrix.isOwned(MatrixControl::Side::Output, output);
}

void Swp08Server::answerTally(Swp08Session &client, const Request &request, Command command)
{
    const int source =
        isOutput(request.destination) ? m_matrix.routedInput(request.destination) : -1;
    if (source < 0) {
        qCInfo(lcSwp08) << "SW-P-08 controller" << client.clientId() << "destination"
                        << request.destination << "has no known source; no answer";
        return;
    }
    client.sendMessages({CrosspointAnswer(command, request.form, request.matrix, request.level,
                                          request.destination, source)});
}

void Swp08Server::answerTallyDump(Swp08Session &client, const Request &request)
{
    // Only what is known is reported: each run of known routes is its own dump.
    const int outputs = m_matrix.deviceFacts().outputs;
    std::vector<Bytes> messages;
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
        for (Bytes &message : TallyDump(request.form, request.matrix, request.level, first, run))
            messages.push_back(std::move(message));
        run.clear();
    }
    client.sendMessages(messages);
}

void Swp08Server::answerNames(Swp08Session &client, const Request &request)
{
    const bool sources = request.command == Command::SourceNamesRequest;
    const auto side = sources ? MatrixControl::Side::Input : MatrixControl::Side::Output;
    const MatrixControl::DeviceFacts facts = m_matrix.deviceFacts();
    std::vector<std::string> names;
    for (int n = 0; n < (sources ? facts.inputs : facts.outputs); ++n)
        names.push_back(Ascii(m_matrix.label(side, n)));
    const auto answer = sources ? Command::SourceNames : Command::DestinationNames;
    client.sendMessages(
        NamesAnswer(answer, request.matrix, request.level, request.nameLength, 0, names));
}

void Swp08Server::answerProtect(Swp08Session &client, const Request &request, Command command)
{
    if (!isOutput(request.destination)) {
        qCWarning(lcSwp08) << "SW-P-08 controller" << client.clientId() << "protect of destination"
                           << request.destination << "which does not exist here; no answer";
        return;
    }
    client.sendMessages({protectMessage(command, request.form, request.level, request.destination,
                                        client.clientId())});
}

Bytes Swp08Server::protectMessage(Command command, Form form, int level, int destination,
                                  int recipient) const
{
    const int holder = m_locks.holder(destination);
    if (holder == OutputLocks::kNobody)
        return ProtectAnswer(command, form, 0, level, destination, Protect::None, 0);
    const QPair<int, int> given = m_protectDevices.value(destination, {OutputLocks::kNobody, 0});
    return ProtectAnswer(command, form, 0, level, destination,
                         holder == recipient ? Protect::ByController : Protect::ByOther,
                         given.first == holder ? given.second : 0);
}

void Swp08Server::broadcast(const ChangeGatherer::Changes &changes)
{
    const QList<ClientConnection *> controllers = clients();
    for (ClientConnection *connection : controllers) {
        auto &client = static_cast<Swp08Session &>(*connection);
        std::vector<Bytes> messages;
        for (const int output : changes.locks) {
            if (!isOutput(output))
                continue;
            const auto command = m_locks.holder(output) == OutputLocks::kNobody
                                     ? Command::ProtectDisconnected
                                     : Command::ProtectConnected;
            for (int level = 0; level < kLevels; ++level)
                messages.push_back(
                    protectMessage(command, client.form(), level, output, client.clientId()));
        }
        for (const int output : changes.routing) {
            const int source = isOutput(output) ? m_matrix.routedInput(output) : -1;
            if (source < 0)
                continue;
            for (int level = 0; level < kLevels; ++level)
                messages.push_back(
                    CrosspointAnswer(Command::Connected, client.form(), 0, level, output, source));
        }
        client.sendMessages(messages);
    }
}

} // namespace corvantis
