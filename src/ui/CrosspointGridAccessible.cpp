#include "ui/CrosspointGridAccessible.h"

#include "ui/CrosspointGrid.h"

#include <QPointer>

namespace corvantis {

namespace {

// One cell; it lives as long as the grid's interface.
class CellAccessible : public QAccessibleInterface {
public:
    CellAccessible(CrosspointGrid *grid, int cell) : m_grid(grid), m_cell(cell) {}

    bool isValid() const override { return !m_grid.isNull(); }
    QObject *object() const override { return nullptr; }
    QAccessibleInterface *childAt(int, int) const override { return nullptr; }
    QAccessibleInterface *parent() const override
    {
        return m_grid ? QAccessible::queryAccessibleInterface(m_grid.data()) : nullptr;
    }
    QAccessibleInterface *child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface *) const override { return -1; }
    QString text(QAccessible::Text t) const override
    {
        if (!m_grid)
            return {};
        switch (t) {
        case QAccessible::Name:
            return m_grid->describe(m_cell);
        case QAccessible::Value:
        case QAccessible::Description:
            return CrosspointGrid::pictureText(m_grid->picture(m_cell));
        default:
            return {};
        }
    }
    void setText(QAccessible::Text, const QString &) override {}
    QRect rect() const override
    {
        if (!m_grid)
            return {};
        const QRect local = m_grid->cellRect(m_cell);
        return {m_grid->mapToGlobal(local.topLeft()), local.size()};
    }
    QAccessible::Role role() const override { return QAccessible::Cell; }
    QAccessible::State state() const override
    {
        QAccessible::State s;
        if (!m_grid || !m_grid->isCellVisible(m_cell) || !m_grid->isVisible()) {
            s.invisible = true;
            return s;
        }
        s.focusable = true;
        s.focused = m_grid->hasFocus() && m_grid->focusCell() == m_cell;
        s.checkable = true;
        s.checked = m_grid->picture(m_cell) > 0;
        s.disabled = !m_grid->isEnabled();
        return s;
    }

private:
    QPointer<CrosspointGrid> m_grid;
    int m_cell;
};

QAccessibleInterface *gridFactory(const QString &, QObject *object)
{
    if (auto *grid = qobject_cast<CrosspointGrid *>(object))
        return new CrosspointGridAccessible(grid);
    return nullptr;
}

} // namespace

CrosspointGridAccessible::CrosspointGridAccessible(CrosspointGrid *grid)
    : QAccessibleWidget(grid, QAccessible::Table, QStringLiteral("Crosspoints"))
{
}

CrosspointGridAccessible::~CrosspointGridAccessible()
{
    for (QAccessible::Id id : m_cells)
        if (id != 0)
            QAccessible::deleteAccessibleInterface(id);
}

void CrosspointGridAccessible::install()
{
    static const bool installed = [] {
        QAccessible::installFactory(gridFactory);
        return true;
    }();
    Q_UNUSED(installed);
}

CrosspointGrid *CrosspointGridAccessible::grid() const
{
    return static_cast<CrosspointGrid *>(widget());
}

int CrosspointGridAccessible::childCount() const
{
    return CrosspointGrid::kCells;
}

QAccessibleInterface *CrosspointGridAccessible::child(int index) const
{
    if (index < 0 || index >= CrosspointGrid::kCells)
        return nullptr;
    auto &id = m_cells[static_cast<std::size_t>(index)];
    if (id == 0)
        id = QAccessible::registerAccessibleInterface(new CellAccessible(grid(), index));
    return QAccessible::accessibleInterface(id);
}

int CrosspointGridAccessible::indexOfChild(const QAccessibleInterface *child) const
{
    for (int i = 0; i < CrosspointGrid::kCells; ++i) {
        const QAccessible::Id id = m_cells[static_cast<std::size_t>(i)];
        if (id != 0 && QAccessible::accessibleInterface(id) == child)
            return i;
    }
    return -1;
}

QAccessibleInterface *CrosspointGridAccessible::childAt(int x, int y) const
{
    const int cell = grid()->cellAt(grid()->mapFromGlobal(QPoint(x, y)));
    return cell >= 0 ? child(cell) : nullptr;
}

QAccessibleInterface *CrosspointGridAccessible::focusChild() const
{
    return grid()->hasFocus() ? child(grid()->focusCell()) : nullptr;
}

} // namespace corvantis
