#include "link/SerialPortTransport.h"

#include <QSerialPort>

#ifdef Q_OS_UNIX
#include <poll.h>
#endif

namespace corvantis {

SerialPortTransport::SerialPortTransport(const QString &devicePath, QObject *parent)
    : LinkTransport(parent), m_port(new QSerialPort(devicePath, this))
{
    m_port->setBaudRate(QSerialPort::Baud9600);
    m_port->setDataBits(QSerialPort::Data8);
    m_port->setParity(QSerialPort::NoParity);
    m_port->setStopBits(QSerialPort::OneStop);
    m_port->setFlowControl(QSerialPort::NoFlowControl);
    m_port->setReadBufferSize(kReadBufferSize);
    connect(m_port, &QSerialPort::readyRead, this, &LinkTransport::readyRead);
    connect(m_port, &QSerialPort::errorOccurred, this, [this](QSerialPort::SerialPortError error) {
        // A device that went away keeps reporting read errors as fast as the loop turns while
        // the port stays open; the owner closes it on this signal.
        if ((error != QSerialPort::ReadError && error != QSerialPort::ResourceError) ||
            !m_port->isOpen())
            return;
        // Input discarded between the system's "ready" and Qt's read leaves that read empty.
        // Qt reports that as a read error, or as a resource error when a socket's last call
        // left EAGAIN behind, and then stops watching the port until it is read. The device is
        // still there, so the line is not lost: a peek reads nothing and re-arms the watch.
        if (!deviceGone()) {
            m_port->clearError();
            char next;
            m_port->peek(&next, 1);
            return;
        }
        emit errorOccurred(error, m_port->errorString());
    });
}

bool SerialPortTransport::open()
{
    return m_port->isOpen() || m_port->open(QIODevice::ReadWrite);
}

void SerialPortTransport::close()
{
    m_port->close();
}

bool SerialPortTransport::isOpen() const
{
    return m_port->isOpen();
}

bool SerialPortTransport::write(const QByteArray &bytes)
{
    if (!m_port->isOpen() || m_port->write(bytes) != bytes.size())
        return false;
    m_port->flush();
    return true;
}

QByteArray SerialPortTransport::readAll()
{
    return m_port->isOpen() ? m_port->readAll() : QByteArray();
}

qint64 SerialPortTransport::bytesAvailable() const
{
    return m_port->isOpen() ? m_port->bytesAvailable() : 0;
}

void SerialPortTransport::clearInput()
{
    if (!m_port->isOpen())
        return;
    m_port->readAll();
    m_port->clear(QSerialPort::Input);
}

bool SerialPortTransport::deviceGone() const
{
#ifdef Q_OS_UNIX
    pollfd probe{static_cast<int>(m_port->handle()), 0, 0};
    if (::poll(&probe, 1, 0) < 0)
        return true;
    return (probe.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0;
#else
    return true;
#endif
}

QString SerialPortTransport::errorString() const
{
    return m_port->errorString();
}

} // namespace corvantis
