#include "sim/SimConsole.h"

#include "sim/VirtualRouterLine.h"

namespace corvantis {

namespace {

constexpr int kPairsPerDumpLine = 8;

QString onOff(bool on)
{
    return on ? QStringLiteral("on") : QStringLiteral("off");
}

// The words after the command as numbers; false when one is missing or not a whole number.
bool numbers(const QStringList &words, int count, QList<int> &values)
{
    if (words.size() != count + 1)
        return false;
    values.clear();
    for (int i = 1; i <= count; ++i) {
        bool ok = false;
        values.append(words.at(i).toInt(&ok));
        if (!ok)
            return false;
    }
    return true;
}

} // namespace

SimConsole::SimConsole(VirtualRouterLine &line) : m_line(line) {}

QString SimConsole::helpText()
{
    return QStringLiteral(
        "Commands (frame addresses as set on the routers, 0 to 15; outputs and inputs\n"
        "counted from 1, as the program shows them):\n"
        "  route <frame> <output> <input>   route at a router's front panel; the router\n"
        "                                   reports it to the program with \"U\"\n"
        "  disconnect <frame> <output>      disconnect at the front panel (not reported)\n"
        "  dump                             show every router's crosspoints\n"
        "  stats                            show counters and failure modes\n"
        "  silent on|off                    answer nothing\n"
        "  noise on|off                     glitch bytes while the line is quiet\n"
        "  drop <percent>                   drop that share of replies\n"
        "  late <ms>                        hold every reply back\n"
        "  resend on|off                    answer only the second transmission of a frame\n"
        "  pacing on|off                    9600 baud timing\n"
        "  help                             this list\n"
        "  quit                             end the virtual line");
}

QString SimConsole::execute(const QString &commandLine)
{
    const QStringList words = commandLine.simplified().split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (words.isEmpty())
        return {};
    const QString command = words.first().toLower();
    if (command == QLatin1String("help") || command == QLatin1String("?"))
        return helpText();
    if (command == QLatin1String("quit") || command == QLatin1String("exit")) {
        m_quit = true;
        return QStringLiteral("Ending.");
    }
    if (command == QLatin1String("route"))
        return route(words);
    if (command == QLatin1String("disconnect"))
        return disconnect(words);
    if (command == QLatin1String("dump"))
        return dump();
    if (command == QLatin1String("stats"))
        return stats();
    if (command == QLatin1String("silent") || command == QLatin1String("noise") ||
        command == QLatin1String("resend") || command == QLatin1String("pacing"))
        return setSwitch(words);
    if (command == QLatin1String("drop") || command == QLatin1String("late"))
        return setNumber(words);
    return QStringLiteral("Unknown command \"%1\"; type help for the list.").arg(words.first());
}

QString SimConsole::route(const QStringList &words)
{
    QList<int> n;
    if (!numbers(words, 3, n))
        return QStringLiteral("Usage: route <frame> <output> <input>, for example route 0 3 5");
    if (n[1] < 1 || n[2] < 1 || !m_line.frontPanelRoute(n[0], n[1] - 1, n[2] - 1))
        return QStringLiteral("No router at frame address %1 has output %2 and input %3.")
            .arg(n[0])
            .arg(n[1])
            .arg(n[2]);
    return QStringLiteral("Frame %1: output %2 now takes input %3 (reported).")
        .arg(n[0])
        .arg(n[1])
        .arg(n[2]);
}

QString SimConsole::disconnect(const QStringList &words)
{
    QList<int> n;
    if (!numbers(words, 2, n))
        return QStringLiteral("Usage: disconnect <frame> <output>, for example disconnect 0 3");
    if (n[1] < 1 || !m_line.frontPanelRoute(n[0], n[1] - 1, -1))
        return QStringLiteral("No router at frame address %1 has output %2.").arg(n[0]).arg(n[1]);
    return QStringLiteral("Frame %1: output %2 disconnected.").arg(n[0]).arg(n[1]);
}

QString SimConsole::dump() const
{
    const auto routers = m_line.routers();
    if (routers.isEmpty())
        return QStringLiteral("No routers on the line.");
    QStringList lines;
    for (const auto &router : routers) {
        lines.append(QStringLiteral("Frame %1 (%2 inputs, %3 outputs), output:input")
                         .arg(router.frameAddress)
                         .arg(router.inputs)
                         .arg(router.outputs));
        QString line;
        for (int output = 0; output < router.outputs; ++output) {
            const int input = m_line.crosspoint(router.frameAddress, output);
            line += QStringLiteral("%1:%2")
                        .arg(output + 1, 3)
                        .arg(input < 0 ? QStringLiteral("-") : QString::number(input + 1), -4);
            if ((output + 1) % kPairsPerDumpLine == 0 || output + 1 == router.outputs) {
                lines.append(line.trimmed().prepend(QStringLiteral("  ")));
                line.clear();
            }
        }
    }
    return lines.join(QLatin1Char('\n'));
}

QString SimConsole::stats() const
{
    return QStringLiteral("Type %1 line, program %2 attached.\n"
                          "Frames received %3, replies sent %4, replies dropped %5, bytes "
                          "discarded %6.\n"
                          "silent %7, noise %8, drop %9 %, late %10 ms, resend %11, pacing %12.")
        .arg(m_line.commType() == 0 ? QStringLiteral("A") : QStringLiteral("B"))
        .arg(m_line.isAttached() ? QStringLiteral("is") : QStringLiteral("not"))
        .arg(m_line.framesReceived())
        .arg(m_line.repliesSent())
        .arg(m_line.repliesDropped())
        .arg(m_line.bytesDiscarded())
        .arg(onOff(m_line.silent()), onOff(m_line.noise()))
        .arg(m_line.dropPercent())
        .arg(m_line.lateMs())
        .arg(onOff(m_line.answerOnResendOnly()), onOff(m_line.pacing()));
}

QString SimConsole::setSwitch(const QStringList &words)
{
    const QString command = words.first().toLower();
    const QString value = words.size() == 2 ? words.at(1).toLower() : QString();
    if (value != QLatin1String("on") && value != QLatin1String("off"))
        return QStringLiteral("Usage: %1 on|off").arg(command);
    const bool on = value == QLatin1String("on");
    if (command == QLatin1String("silent"))
        m_line.setSilent(on);
    else if (command == QLatin1String("noise"))
        m_line.setNoise(on);
    else if (command == QLatin1String("resend"))
        m_line.setAnswerOnResendOnly(on);
    else
        m_line.setPacing(on);
    return QStringLiteral("%1 %2.").arg(command, value);
}

QString SimConsole::setNumber(const QStringList &words)
{
    const QString command = words.first().toLower();
    const bool drop = command == QLatin1String("drop");
    QList<int> n;
    if (!numbers(words, 1, n) || n[0] < 0 || (drop && n[0] > 100))
        return drop ? QStringLiteral("Usage: drop <percent 0 to 100>")
                    : QStringLiteral("Usage: late <milliseconds>");
    if (drop) {
        m_line.setDropPercent(n[0]);
        return QStringLiteral("Dropping %1 % of replies.").arg(n[0]);
    }
    m_line.setLateMs(n[0]);
    return QStringLiteral("Replies held back %1 ms.").arg(n[0]);
}

} // namespace corvantis
