#pragma once

#include "net/ClientConnection.h"
#include "net/Swp08Framing.h"
#include "net/Swp08Message.h"

#include <vector>

namespace corvantis {

// One SW-P-08 controller: every good message it sends is answered DLE ACK and handed on, every
// bad one answered DLE NAK and logged. Unasked messages to it take the form it last used.
class Swp08Session : public ClientConnection {
    Q_OBJECT

public:
    // Takes the socket over.
    Swp08Session(int clientId, QTcpSocket *socket, QObject *parent = nullptr);

    swp08::Form form() const { return m_form; }
    void setForm(swp08::Form form) { m_form = form; }
    // Frames the messages and sends them in one write.
    void sendMessages(const std::vector<swp08::Bytes> &messages);

signals:
    void messageReceived(corvantis::Swp08Session *session, const corvantis::swp08::Bytes &data);

protected:
    void received(const QByteArray &bytes) override;

private:
    void sendRaw(const swp08::Bytes &bytes);

    swp08::FrameReader m_reader;
    swp08::Form m_form = swp08::Form::General;
};

} // namespace corvantis
