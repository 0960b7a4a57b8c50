#include "sim/MessageCollector.h"

namespace corvantis {

MessageAnswer MessageCollector::messageBox(const std::string &text, const std::string &title,
                                           MessageButtons buttons, MessageIcon)
{
    m_messages.append(
        QStringLiteral("[%1] %2").arg(QString::fromStdString(title), QString::fromStdString(text)));
    switch (buttons) {
    case MessageButtons::OkCancel:
        return MessageAnswer::Cancel;
    case MessageButtons::YesNo:
        return MessageAnswer::No;
    case MessageButtons::Ok:
        break;
    }
    return MessageAnswer::Ok;
}

} // namespace corvantis
