#pragma once

#include "net/MatrixControl.h"

#include <QVector>

namespace corvantis {

class AppCore;

// The panel server's view of the application core: the logical matrix as the names panels and
// the grid show it, and its requests as actions on the core's one path.
class CoreMatrixControl : public MatrixControl {
    Q_OBJECT

public:
    explicit CoreMatrixControl(AppCore &core, QObject *parent = nullptr);

    DeviceFacts deviceFacts() const override;
    QString label(Side side, int index) const override;
    bool isOwned(Side side, int index) const override;
    int routedInput(int output) const override;
    bool canRoute(int output, int input) const override;
    QString labelRefusal(const QString &text) const override;
    bool requestRoute(const QList<Route> &routes, int clientId) override;
    bool requestRename(Side side, const QList<Label> &labels, int clientId) override;

signals:
    // Names changed through a request: the configuration is to be saved (headless).
    void namesStored();

private:
    int outputCount() const;
    int inputCount() const;
    // Announces the outputs whose confirmed routing differs from what was last announced.
    void announceRoutingChanges(QList<int> alwaysAnnounce = {});
    void announceLabelChanges();

    AppCore &m_core;
    QVector<int> m_announcedRouting;
    QVector<QString> m_announcedInputs;
    QVector<QString> m_announcedOutputs;
};

} // namespace corvantis
