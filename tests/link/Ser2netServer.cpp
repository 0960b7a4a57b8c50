#include "Ser2netServer.h"

#include "LinkRig.h"

#include <QFile>
#include <QStandardPaths>
#include <QTcpServer>

namespace corvantis::test {

namespace {

// Someone (ser2net) is listening when the port cannot be bound.
bool isListening(quint16 port)
{
    QTcpServer probe;
    return !probe.listen(QHostAddress::LocalHost, port);
}

} // namespace

quint16 freeLoopbackPort()
{
    QTcpServer probe;
    return probe.listen(QHostAddress::LocalHost, 0) ? probe.serverPort() : 0;
}

Ser2netServer::Ser2netServer(const QString &device)
{
    m_rawPort = freeLoopbackPort();
    m_telnetPort = freeLoopbackPort();
    while (m_telnetPort == m_rawPort)
        m_telnetPort = freeLoopbackPort();
    if (!writeConfiguration(device))
        m_error = QStringLiteral("cannot write the ser2net configuration");
}

Ser2netServer::~Ser2netServer()
{
    stop();
}

QString Ser2netServer::executable()
{
    // Debian puts it in /usr/sbin, which is not on every user's path.
    const QString found = QStandardPaths::findExecutable(QStringLiteral("ser2net"));
    return found.isEmpty() ? QStandardPaths::findExecutable(
                                 QStringLiteral("ser2net"),
                                 {QStringLiteral("/usr/sbin"), QStringLiteral("/usr/local/sbin")})
                           : found;
}

bool Ser2netServer::writeConfiguration(const QString &device)
{
    // chardelay off: the server forwards each byte as it comes, like the line itself.
    const QString text = QStringLiteral("%YAML 1.1\n---\n"
                                        "connection: &raw\n"
                                        "  accepter: tcp,127.0.0.1,%1\n"
                                        "  connector: serialdev,%3,9600n81,local\n"
                                        "  options:\n"
                                        "    kickolduser: true\n"
                                        "    chardelay: false\n"
                                        "\n"
                                        "connection: &telnet\n"
                                        "  accepter: telnet(rfc2217),tcp,127.0.0.1,%2\n"
                                        "  connector: serialdev,%3,9600n81,local\n"
                                        "  options:\n"
                                        "    kickolduser: true\n"
                                        "    chardelay: false\n")
                             .arg(m_rawPort)
                             .arg(m_telnetPort)
                             .arg(device);
    QFile file(m_dir.filePath(QStringLiteral("ser2net.yaml")));
    return m_dir.isValid() && file.open(QIODevice::WriteOnly) &&
           file.write(text.toUtf8()) == text.toUtf8().size();
}

bool Ser2netServer::start()
{
    stop();
    const QString program = executable();
    if (program.isEmpty()) {
        m_error = QStringLiteral("ser2net is not installed (scripts/install-deps.sh installs it)");
        return false;
    }
    m_process.setProcessChannelMode(QProcess::MergedChannels);
    m_process.start(program, {QStringLiteral("-n"), QStringLiteral("-d"), QStringLiteral("-c"),
                              m_dir.filePath(QStringLiteral("ser2net.yaml")), QStringLiteral("-P"),
                              m_dir.filePath(QStringLiteral("ser2net.pid"))});
    if (!m_process.waitForStarted(5000)) {
        m_error = m_process.errorString();
        return false;
    }
    const bool up = waitFor(
        [this] {
            return m_process.state() != QProcess::Running ||
                   (isListening(m_rawPort) && isListening(m_telnetPort));
        },
        std::chrono::seconds(10));
    if (!up || m_process.state() != QProcess::Running) {
        m_error = QStringLiteral("ser2net did not come up: ") +
                  QString::fromLocal8Bit(m_process.readAll());
        stop();
        return false;
    }
    return true;
}

void Ser2netServer::stop()
{
    if (m_process.state() == QProcess::NotRunning)
        return;
    m_process.kill();
    m_process.waitForFinished(5000);
}

QString Ser2netServer::rawAddress() const
{
    return QStringLiteral("socket://127.0.0.1:%1").arg(m_rawPort);
}

QString Ser2netServer::telnetAddress() const
{
    return QStringLiteral("rfc2217://127.0.0.1:%1").arg(m_telnetPort);
}

} // namespace corvantis::test
