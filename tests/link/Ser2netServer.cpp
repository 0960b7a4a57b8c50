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

Ser2netServer::Ser2netServer(const QString &device)
{
    m_rawPort = freeLoopbackPort();
    do
        m_telnetPort = freeLoopbackPort();
    while (m_telnetPort == m_rawPort);
    // chardelay off: the server forwards each byte as it comes, like the line itself.
    QString text = QStringLiteral("%YAML 1.1\n---\n");
    for (const auto &[name, accepter] :
         {std::pair{"raw", QStringLiteral("tcp,127.0.0.1,%1").arg(m_rawPort)},
          {"telnet", QStringLiteral("telnet(rfc2217),tcp,127.0.0.1,%1").arg(m_telnetPort)}})
        text += QStringLiteral("connection: &%1\n  accepter: %2\n"
                               "  connector: serialdev,%3,9600n81,local\n"
                               "  options:\n    kickolduser: true\n    chardelay: false\n")
                    .arg(QLatin1String(name), accepter, device);
    QFile file(m_dir.filePath(QStringLiteral("ser2net.yaml")));
    if (!file.open(QIODevice::WriteOnly) || file.write(text.toUtf8()) != text.toUtf8().size())
        m_error = QStringLiteral("cannot write the ser2net configuration");
}

bool Ser2netServer::start()
{
    stop();
    // Debian puts it in /usr/sbin, which is not on every user's path.
    QString program = QStandardPaths::findExecutable(QStringLiteral("ser2net"));
    if (program.isEmpty())
        program = QStandardPaths::findExecutable(
            QStringLiteral("ser2net"),
            {QStringLiteral("/usr/sbin"), QStringLiteral("/usr/local/sbin")});
    if (program.isEmpty()) {
        m_error = QStringLiteral("ser2net is not installed (scripts/install-deps.sh installs it)");
        return false;
    }
    m_process.setProcessChannelMode(QProcess::MergedChannels);
    m_process.start(program, {QStringLiteral("-n"), QStringLiteral("-d"), QStringLiteral("-c"),
                              m_dir.filePath(QStringLiteral("ser2net.yaml")), QStringLiteral("-P"),
                              m_dir.filePath(QStringLiteral("ser2net.pid"))});
    const bool up = m_process.waitForStarted(5000) && waitFor([this] {
                        return m_process.state() != QProcess::Running ||
                               (isListening(m_rawPort) && isListening(m_telnetPort));
                    }) &&
                    m_process.state() == QProcess::Running;
    if (!up) {
        m_error = QStringLiteral("ser2net did not come up: ") + m_process.errorString() +
                  QString::fromLocal8Bit(m_process.readAll());
        stop();
    }
    return up;
}

void Ser2netServer::stop()
{
    if (m_process.state() == QProcess::NotRunning)
        return;
    m_process.kill();
    m_process.waitForFinished(5000);
}

} // namespace corvantis::test
