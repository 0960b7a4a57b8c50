#include "core/RouteReport.h"

#include <QStringList>
#include <algorithm>

namespace corvantis {

int RouteReport::count(Result result) const
{
    return int(std::count_if(m_entries.begin(), m_entries.end(),
                             [result](const Entry &entry) { return entry.result == result; }));
}

QList<RouteRequest> RouteReport::failedRoutes() const
{
    QList<RouteRequest> routes;
    for (const Entry &entry : m_entries)
        if (entry.result == Result::Failed)
            routes.append(entry.route);
    return routes;
}

QString RouteReport::progressText() const
{
    return QStringLiteral("%1: %2 of %3").arg(m_title).arg(done()).arg(m_total);
}

QString RouteReport::resultLine() const
{
    QString line = QStringLiteral("%1: %2 of %3 confirmed")
                       .arg(m_title)
                       .arg(count(Result::Confirmed))
                       .arg(m_total);
    if (const int failed = count(Result::Failed))
        line += QStringLiteral(", %1 failed").arg(failed);
    if (const int skipped = count(Result::Skipped))
        line += QStringLiteral(", %1 skipped").arg(skipped);
    return line;
}

QString RouteReport::summaryText() const
{
    QStringList lines{resultLine()};
    for (const Entry &entry : m_entries) {
        if (entry.result == Result::Confirmed)
            continue;
        const QString output = entry.outputNumber > 0
                                   ? QStringLiteral("Output %1").arg(entry.outputNumber)
                                   : QStringLiteral("Frame %1 output %2")
                                         .arg(entry.route.frameAddress)
                                         .arg(entry.route.output);
        const QString input = entry.route.input < 0 ? QStringLiteral("disconnect")
                              : entry.inputNumber > 0
                                  ? QStringLiteral("input %1").arg(entry.inputNumber)
                                  : QStringLiteral("input port %1").arg(entry.route.input);
        const QString result =
            entry.result == Result::Failed ? QStringLiteral("failed") : QStringLiteral("skipped");
        lines << QStringLiteral("%1 to %2: %3: %4").arg(output, input, result, entry.why);
    }
    if (done() < m_total)
        lines << QStringLiteral("%1 not reached").arg(m_total - done());
    return lines.join(QLatin1Char('\n'));
}

} // namespace corvantis
