#pragma once

#include "core/RouteReport.h"

#include <QJsonObject>
#include <QJsonValue>
#include <QString>
#include <optional>

namespace corvantis {

class AppCore;

// What every web page shows, as the JSON the page reads: the whole of it for a page that
// connects, and what changed since the last look for the pages already there. It reads the
// core and never changes it; what the core does not keep (the line's loss, the error line's
// last text, the last batch of routes) it is told.
class WebState {
public:
    explicit WebState(const AppCore &core);

    // Every field of a state message but the session's own.
    QJsonObject whole() const;
    // The fields that differ from what the last call saw, as a change message holds them
    // (lists of outputs and names as the changed entries by number); empty when nothing
    // changed. With "matrix" among them the configuration was replaced and nothing else of
    // the last look holds.
    QJsonObject changes();

    void lineOpened(bool open);
    void lineLost();
    void showMessage(const QString &text);
    void batchProgress(const RouteReport &report);
    void batchEnded(const RouteReport &report);
    // The ended batch with this id while it is the latest; nullptr otherwise.
    const RouteReport *endedBatch(int id) const;

private:
    QJsonValue route(int output) const;
    QJsonValue lock(int output) const;
    QJsonObject batchJson(const RouteReport &report, bool ended) const;

    const AppCore &m_core;
    QJsonObject m_seen;
    QString m_line;
    QJsonObject m_message;
    int m_messages = 0;
    QJsonValue m_batch;
    int m_batchId = 0;
    bool m_batchRunning = false;
    std::optional<RouteReport> m_ended;
};

} // namespace corvantis
