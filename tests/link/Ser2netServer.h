#pragma once

#include <QProcess>
#include <QString>
#include <QTemporaryDir>

namespace corvantis::test {

// ser2net, the device server, started by a test in the foreground with its own configuration
// in a temporary folder: one raw and one Telnet (RFC 2217) port on 127.0.0.1, picked free at
// run time, both in front of the same serial device. Killed when the object goes.
class Ser2netServer {
public:
    explicit Ser2netServer(const QString &device);
    ~Ser2netServer() { stop(); }

    // False with the reason in error() when it did not come up listening on both ports.
    bool start();
    void stop();

    QString rawAddress() const { return QStringLiteral("socket://127.0.0.1:%1").arg(m_rawPort); }
    QString telnetAddress() const
    {
        return QStringLiteral("rfc2217://127.0.0.1:%1").arg(m_telnetPort);
    }
    QString error() const { return m_error; }

private:
    QTemporaryDir m_dir;
    QProcess m_process;
    quint16 m_rawPort = 0;
    quint16 m_telnetPort = 0;
    QString m_error;
};

} // namespace corvantis::test
