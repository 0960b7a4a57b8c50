#pragma once

#include "net/MatrixControl.h"

#include <QList>
#include <QSet>
#include <QStringList>
#include <QTimer>
#include <chrono>

namespace corvantis::test {

// A matrix behind the panel server: its own tables, and an action path that runs one queued
// request at a time, each taking routeTime, with outputs that can be told to fail.
class FakeMatrixControl : public MatrixControl {
    Q_OBJECT

public:
    struct Layout {
        DeviceFacts facts;
        QStringList inputLabels; // "-" marks a number no router owns
        QStringList outputLabels;
        QList<int> routes; // per output, -1 unknown
    };
    // Two routers with gaps between them.
    static Layout normalLayout();
    // count x count, all owned, output o on input o.
    static Layout squareLayout(int count);

    explicit FakeMatrixControl(const Layout &layout, QObject *parent = nullptr);

    DeviceFacts deviceFacts() const override { return m_layout.facts; }
    QString label(Side side, int index) const override;
    bool isOwned(Side side, int index) const override { return label(side, index) != "-"; }
    int routedInput(int output) const override { return m_layout.routes.value(output, -1); }
    bool canRoute(int output, int input) const override
    {
        return isOwned(Side::Output, output) && isOwned(Side::Input, input);
    }
    // Every name is taken: the names' rule is the core's.
    QString labelRefusal(const QString &) const override { return {}; }
    bool requestRoute(const QList<Route> &routes, int clientId) override;
    bool requestRename(Side side, const QList<Label> &labels, int clientId) override;

    // A change the routers reported by themselves.
    void reportRoute(int output, int input);
    void replaceDevice(const Layout &layout)
    {
        m_layout = layout;
        emit deviceChanged();
    }

    QSet<int> failingOutputs;
    // How long each queued request takes, for the benchmarks.
    std::chrono::milliseconds routeTime{0};
    // Every crosspoint run, with its client, in order.
    QList<QPair<int, Route>> routesRun;

private:
    void runNext();
    QStringList &labels(Side side)
    {
        return side == Side::Input ? m_layout.inputLabels : m_layout.outputLabels;
    }

    Layout m_layout;
    QList<QPair<int, QList<Route>>> m_queue;
    QTimer m_actionTimer;
};

} // namespace corvantis::test
