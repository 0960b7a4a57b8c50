#include "ScriptedDevice.h"

#include <QObject>

namespace corvantis::test {

ScriptedDevice::ScriptedDevice(Responder responder) : m_responder(std::move(responder))
{
    QObject::connect(&m_terminal, &PseudoTerminal::bytesRead, &m_terminal,
                     [this](const QByteArray &bytes) {
                         m_received += bytes;
                         m_pending += bytes;
                         const QByteArray reply = m_responder(m_pending);
                         if (!reply.isEmpty())
                             m_terminal.write(reply);
                     });
}

bool ScriptedDevice::open(const QString &linkPath)
{
    return m_terminal.open(linkPath, nullptr);
}

ScriptedDevice::Responder AnswerAlways(const QByteArray &reply)
{
    return [reply](QByteArray &pending) {
        pending.clear();
        return reply;
    };
}

} // namespace corvantis::test
