#pragma once

#include "link/LinkTransport.h"

class QSerialPort;

namespace corvantis {

// A local serial port at 9600 baud, 8 data bits, no parity, 1 stop bit, no flow control.
class SerialPortTransport : public LinkTransport {
    Q_OBJECT

public:
    static constexpr int kReadBufferSize = 1024;

    explicit SerialPortTransport(const QString &devicePath, QObject *parent = nullptr);

    bool open() override;
    void close() override;
    bool isOpen() const override;
    bool write(const QByteArray &bytes) override;
    QByteArray readAll() override;
    qint64 bytesAvailable() const override;
    void clearInput() override;
    QString errorString() const override;

private:
    bool deviceGone() const;

    QSerialPort *m_port;
};

} // namespace corvantis
