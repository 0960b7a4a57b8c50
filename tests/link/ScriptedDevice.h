#pragma once

#include "sim/PseudoTerminal.h"

#include <QByteArray>
#include <QString>
#include <functional>

namespace corvantis::test {

// A device on the far end of the port that answers as a test tells it to, for replies the
// virtual router line never gives (odd lengths, acknowledgements that bunch up or go
// missing). The responder sees every byte not yet taken, removes what it understood and
// returns what to send back.
class ScriptedDevice {
public:
    using Responder = std::function<QByteArray(QByteArray &pending)>;

    explicit ScriptedDevice(Responder responder);

    bool open(const QString &linkPath);
    // Everything received, in order.
    const QByteArray &received() const { return m_received; }

private:
    PseudoTerminal m_terminal;
    Responder m_responder;
    QByteArray m_pending;
    QByteArray m_received;
};

// Answers every chunk received with the same bytes.
ScriptedDevice::Responder AnswerAlways(const QByteArray &reply);

} // namespace corvantis::test
