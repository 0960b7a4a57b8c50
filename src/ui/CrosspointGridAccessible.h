#pragma once

#include <QAccessible>
#include <QAccessibleWidget>
#include <array>

namespace corvantis {

class CrosspointGrid;

// The grid for screen readers and UI automation: a table whose 256 children are the cells,
// each named by its input and output, with its picture as value and hidden cells invisible.
class CrosspointGridAccessible : public QAccessibleWidget {
public:
    explicit CrosspointGridAccessible(CrosspointGrid *grid);
    ~CrosspointGridAccessible() override;

    // Registers the factory once per process.
    static void install();

    int childCount() const override;
    QAccessibleInterface *child(int index) const override;
    int indexOfChild(const QAccessibleInterface *child) const override;
    QAccessibleInterface *childAt(int x, int y) const override;
    QAccessibleInterface *focusChild() const override;

private:
    CrosspointGrid *grid() const;

    mutable std::array<QAccessible::Id, 256> m_cells{};
};

} // namespace corvantis
