#pragma once

#include <QByteArray>
#include <QCoreApplication>
#include <QSerialPort>
#include <QTest>
#include <utility>

inline constexpr int kWaitMs = 10000;

// The program's side of the line: a real serial port on the device.
class LineClient {
public:
    bool open(const QString &path)
    {
        m_port.setPortName(path);
        if (!m_port.open(QIODevice::ReadWrite))
            return false;
        m_port.setBaudRate(QSerialPort::Baud9600);
        return true;
    }
    void send(const QByteArray &bytes) { m_port.write(bytes); }
    // Waits until `count` bytes have arrived in all and hands over everything received.
    QByteArray take(qsizetype count)
    {
        QCoreApplication::processEvents();
        static_cast<void>(QTest::qWaitFor(
            [&] {
                m_received += m_port.readAll();
                return m_received.size() >= count;
            },
            kWaitMs));
        return std::exchange(m_received, {});
    }
    QByteArray exchange(const QByteArray &frame, qsizetype replyLength)
    {
        send(frame);
        return take(replyLength);
    }

private:
    QSerialPort m_port;
    QByteArray m_received;
};
