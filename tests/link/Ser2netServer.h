#pragma once

#include <QProcess>
#include <QString>
#include <QTemporaryDir>

namespace corvantis::test {

// ser2net, the device server, started by a test in the foreground with its own configuration
// and pid file in a temporary folder: one raw and one Telnet (RFC 2217) port on 127.0.0.1,
// both in front of the same serial device. Killed when the object goes.
class Ser2netServer {
public:
    // Both ports are picked free at run time.
    explicit Ser2netServer(const QString &device);
    ~Ser2netServer();
    Ser2netServer(const Ser2netServer &) = delete;
    Ser2netServer &operator=(const Ser2netServer &) = delete;

    // Empty when ser2net is not installed.
    static QString executable();

    // False with the reason in error() when it did not come up listening on both ports.
    bool start();
    void stop();

    quint16 rawPort() const { return m_rawPort; }
    quint16 telnetPort() const { return m_telnetPort; }
    QString rawAddress() const;
    QString telnetAddress() const;
    QString error() const { return m_error; }

private:
    bool writeConfiguration(const QString &device);

    QTemporaryDir m_dir;
    QProcess m_process;
    quint16 m_rawPort = 0;
    quint16 m_telnetPort = 0;
    QString m_error;
};

// A TCP port on 127.0.0.1 that nobody listened on a moment ago.
quint16 freeLoopbackPort();

} // namespace corvantis::test
