#pragma once

#include <QWidget>
#include <vector>

namespace corvantis {

class AppCore;

// One small badge per configured router, coloured by its health: online, offline (also while
// it is being read again) or unknown. A badge's tooltip names the router and says when it last
// answered and how many commands it left unanswered.
class RouterBadges : public QWidget {
    Q_OBJECT

public:
    static constexpr int kBadge = 18;

    explicit RouterBadges(AppCore &core, QWidget *parent = nullptr);

    // The frame addresses shown, in order.
    const std::vector<int> &routers() const { return m_routers; }
    // Words for the badge of the router (tooltip and tests).
    QString describe(int frameAddress) const;

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
    bool event(QEvent *event) override;

private:
    void refreshRouters();

    AppCore &m_core;
    std::vector<int> m_routers;
};

} // namespace corvantis
