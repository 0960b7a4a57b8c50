#pragma once

#include "core/RouteRequest.h"

#include <QList>
#include <QString>

namespace corvantis {

// How one batch of routes went (a salvo, a macro, a take): its progress while it runs and one
// summary at its end. A batch never stops at a failure, so every route ends in one of the
// three results, those it never reached as skipped with the reason.
class RouteReport {
public:
    enum class Result { Confirmed, Failed, Skipped };
    struct Entry {
        RouteRequest route;
        // 1-based numbers as the window shows them; 0 when no router owns the port.
        int outputNumber = 0;
        int inputNumber = 0;
        Result result = Result::Confirmed;
        QString why;
    };

    RouteReport(QString title, int total) : m_title(std::move(title)), m_total(total) {}

    const QString &title() const { return m_title; }
    int total() const { return m_total; }
    int done() const { return int(m_entries.size()); }
    bool complete() const { return done() >= m_total; }
    void add(Entry entry) { m_entries.append(std::move(entry)); }
    const QList<Entry> &entries() const { return m_entries; }
    int count(Result result) const;
    // The routes to send again: those that failed, not those skipped for a lock.
    QList<RouteRequest> failedRoutes() const;

    // "Evening news: 12 of 48"
    QString progressText() const;
    // "Evening news: 45 of 48 confirmed, 1 failed, 2 skipped"
    QString resultLine() const;
    // The result line, then one line for each route that failed or was skipped, with why.
    QString summaryText() const;

private:
    QString m_title;
    int m_total = 0;
    QList<Entry> m_entries;
};

} // namespace corvantis
