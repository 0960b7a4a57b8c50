#pragma once

#include "util/Platform.h"

#include <QStringList>

namespace corvantis {

// Stands in for the operator while the line reads a configuration file: keeps the messages
// instead of showing them, and answers every question with its cautious default.
class MessageCollector : public HeadlessPlatform {
public:
    MessageAnswer messageBox(const std::string &text, const std::string &title,
                             MessageButtons buttons, MessageIcon icon) override;

    QStringList messages() const { return m_messages; }

private:
    QStringList m_messages;
};

} // namespace corvantis
