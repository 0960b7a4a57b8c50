#include "ui/CrosspointGrid.h"

#include "ui/CrosspointGridAccessible.h"
#include "ui/Theme.h"
#include "ui/VectorPictures.h"

#include <QAccessible>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>

namespace corvantis {

namespace {

constexpr int kMajorEvery = 4;

} // namespace

CrosspointGrid::CrosspointGrid(int cellSize, QWidget *parent)
    : QWidget(parent), m_cellSize(cellSize)
{
    CrosspointGridAccessible::install();
    m_videoRow.fill(-1);
    m_audioRow.fill(-1);
    m_pendingVideoRow.fill(-1);
    m_pendingAudioRow.fill(-1);
    m_presetVideoRow.fill(-1);
    m_presetAudioRow.fill(-1);
    m_visible.fill(true);
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFixedSize(sizeHint());
}

QSize CrosspointGrid::sizeHint() const
{
    return {kSize * m_cellSize + 1, kSize * m_cellSize + 1};
}

int CrosspointGrid::picture(int cell) const
{
    return inside(cell) ? m_pictures[static_cast<std::size_t>(cell)] : -1;
}

void CrosspointGrid::setPicture(int cell, int picture)
{
    if (!inside(cell) || picture < VectorPictures::kEmpty || picture > VectorPictures::kAllLevels)
        return;
    auto &stored = m_pictures[static_cast<std::size_t>(cell)];
    if (stored == picture)
        return;
    stored = static_cast<std::uint8_t>(picture);
    updateCell(cell);
}

void CrosspointGrid::setAllPictures(int picture)
{
    for (int cell = 0; cell < kCells; ++cell)
        setPicture(cell, picture);
}

bool CrosspointGrid::isCellVisible(int cell) const
{
    return inside(cell) && m_visible[static_cast<std::size_t>(cell)];
}

void CrosspointGrid::setCellVisible(int cell, bool visible)
{
    if (!inside(cell) || m_visible[static_cast<std::size_t>(cell)] == visible)
        return;
    m_visible[static_cast<std::size_t>(cell)] = visible;
    // Grid lines and the hover band change around a cell that appears or goes.
    update();
}

void CrosspointGrid::ClearColumn(int column)
{
    if (column < 0 || column >= kSize)
        return;
    const auto c = static_cast<std::size_t>(column);
    for (int *row : {&m_videoRow[c], &m_audioRow[c]}) {
        if (*row > -1) {
            setPicture(*row * kSize + column, VectorPictures::kEmpty);
            setTruthMark(column, *row, VectorPictures::kConfirmed);
        }
        *row = -1;
    }
    for (int *row : {&m_pendingVideoRow[c], &m_pendingAudioRow[c], &m_presetVideoRow[c],
                     &m_presetAudioRow[c]}) {
        if (*row > -1)
            setTruthMark(column, *row, VectorPictures::kConfirmed);
        *row = -1;
    }
}

void CrosspointGrid::ShowColumn(int column, int videoRow, int audioRow, bool split,
                                const ColumnTruth &truth)
{
    if (column < 0 || column >= kSize)
        return;
    ClearColumn(column);
    const auto c = static_cast<std::size_t>(column);
    const auto inGrid = [](int row) { return row >= 0 && row < kSize; };
    // What holds keeps its marker while a route is pending; the asked-for input gets the ring.
    const auto holding = [](int mark) {
        return mark == VectorPictures::kPending ? int(VectorPictures::kConfirmed) : mark;
    };
    if (inGrid(videoRow)) {
        setPicture(videoRow * kSize + column,
                   split ? VectorPictures::kVideo : VectorPictures::kAllLevels);
        setTruthMark(column, videoRow, holding(truth.video));
        m_videoRow[c] = videoRow;
    }
    if (split && inGrid(audioRow)) {
        setPicture(audioRow * kSize + column, VectorPictures::kAudio);
        setTruthMark(column, audioRow, holding(truth.audio));
        m_audioRow[c] = audioRow;
    }
    if (inGrid(truth.presetVideoRow)) {
        setTruthMark(column, truth.presetVideoRow, VectorPictures::kPreset);
        m_presetVideoRow[c] = truth.presetVideoRow;
    }
    if (inGrid(truth.presetAudioRow)) {
        setTruthMark(column, truth.presetAudioRow, VectorPictures::kPreset);
        m_presetAudioRow[c] = truth.presetAudioRow;
    }
    if (inGrid(truth.pendingVideoRow)) {
        setTruthMark(column, truth.pendingVideoRow, VectorPictures::kPending);
        m_pendingVideoRow[c] = truth.pendingVideoRow;
    }
    if (inGrid(truth.pendingAudioRow)) {
        setTruthMark(column, truth.pendingAudioRow, VectorPictures::kPending);
        m_pendingAudioRow[c] = truth.pendingAudioRow;
    }
}

int CrosspointGrid::truthMark(int cell) const
{
    return inside(cell) ? m_truth[static_cast<std::size_t>(cell)] : -1;
}

void CrosspointGrid::setTruthMark(int column, int row, int mark)
{
    const int cell = row * kSize + column;
    auto &stored = m_truth[static_cast<std::size_t>(cell)];
    if (stored == mark)
        return;
    stored = static_cast<std::uint8_t>(mark);
    updateCell(cell);
}

void CrosspointGrid::setFocusCell(int cell)
{
    if (!inside(cell) || cell == m_focusCell)
        return;
    const int old = m_focusCell;
    m_focusCell = cell;
    updateCell(old);
    updateCell(cell);
    if (QAccessible::isActive()) {
        QAccessibleEvent focus(this, QAccessible::Focus);
        focus.setChild(cell);
        QAccessible::updateAccessibility(&focus);
    }
}

QRect CrosspointGrid::cellRect(int cell) const
{
    if (!inside(cell))
        return {};
    return {(cell % kSize) * m_cellSize, (cell / kSize) * m_cellSize, m_cellSize + 1,
            m_cellSize + 1};
}

int CrosspointGrid::cellAt(const QPoint &point) const
{
    if (point.x() < 0 || point.y() < 0)
        return -1;
    const int column = point.x() / m_cellSize;
    const int row = point.y() / m_cellSize;
    if (column >= kSize || row >= kSize)
        return -1;
    return row * kSize + column;
}

void CrosspointGrid::setDescriber(std::function<QString(int)> describer)
{
    m_describer = std::move(describer);
}

QString CrosspointGrid::describe(int cell) const
{
    if (!inside(cell))
        return {};
    if (m_describer)
        return m_describer(cell);
    return QStringLiteral("Row %1, column %2").arg(cell / kSize + 1).arg(cell % kSize + 1);
}

QString CrosspointGrid::pictureText(int picture)
{
    switch (picture) {
    case VectorPictures::kVideo:
        return QStringLiteral("video routed, audio from elsewhere");
    case VectorPictures::kAudio:
        return QStringLiteral("audio routed");
    case VectorPictures::kAllLevels:
        return QStringLiteral("routed on all levels");
    default:
        return QStringLiteral("not routed");
    }
}

void CrosspointGrid::updateCell(int cell)
{
    if (inside(cell))
        update(cellRect(cell));
}

void CrosspointGrid::paintEvent(QPaintEvent *event)
{
    QPainter painter(this);
    const QRect dirty = event->rect();
    painter.fillRect(dirty, palette().color(QPalette::Window));

    const int hoverRow = m_hoverCell >= 0 ? m_hoverCell / kSize : -1;
    const int hoverColumn = m_hoverCell >= 0 ? m_hoverCell % kSize : -1;
    const int s = m_cellSize;
    for (int cell = 0; cell < kCells; ++cell) {
        if (!m_visible[static_cast<std::size_t>(cell)])
            continue;
        const QRect outer = cellRect(cell);
        if (!outer.intersects(dirty))
            continue;
        const int row = cell / kSize;
        const int column = cell % kSize;
        painter.fillRect(outer, Theme::kGridLine);
        const QRect inner(column * s + 1, row * s + 1, s - 1, s - 1);
        painter.fillRect(inner, Theme::kGrid);
        if (row == hoverRow || column == hoverColumn)
            painter.fillRect(inner, Theme::kHover);
        if (column % kMajorEvery == 0)
            painter.fillRect(QRect(column * s, row * s, 1, s + 1), Theme::kGridMajorLine);
        if (row % kMajorEvery == 0)
            painter.fillRect(QRect(column * s, row * s, s + 1, 1), Theme::kGridMajorLine);
        VectorPictures::paintCell(painter, QRectF(inner),
                                  m_pictures[static_cast<std::size_t>(cell)]);
        VectorPictures::paintTruth(painter, QRectF(inner), m_truth[static_cast<std::size_t>(cell)]);
        if (cell == m_focusCell && hasFocus()) {
            painter.save();
            painter.setRenderHint(QPainter::Antialiasing);
            painter.setPen(QPen(Theme::kFocus, 1.5));
            painter.setBrush(Qt::NoBrush);
            painter.drawRoundedRect(QRectF(inner).adjusted(1.5, 1.5, -1.5, -1.5), 3, 3);
            painter.restore();
        }
    }
}

void CrosspointGrid::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    const int cell = cellAt(event->position().toPoint());
    m_pressedCell = isCellVisible(cell) ? cell : -1;
}

void CrosspointGrid::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton) {
        QWidget::mouseReleaseEvent(event);
        return;
    }
    const int cell = cellAt(event->position().toPoint());
    const bool same = cell == m_pressedCell && cell >= 0;
    m_pressedCell = -1;
    if (!same)
        return;
    setFocusCell(cell);
    emit cellClicked(cell);
}

void CrosspointGrid::mouseMoveEvent(QMouseEvent *event)
{
    const int cell = cellAt(event->position().toPoint());
    setHoverCell(isCellVisible(cell) ? cell : -1);
    QWidget::mouseMoveEvent(event);
}

void CrosspointGrid::leaveEvent(QEvent *event)
{
    setHoverCell(-1);
    QWidget::leaveEvent(event);
}

void CrosspointGrid::setHoverCell(int cell)
{
    if (cell == m_hoverCell)
        return;
    m_hoverCell = cell;
    update();
}

void CrosspointGrid::moveFocus(int rows, int columns)
{
    const int row = m_focusCell / kSize + rows;
    const int column = m_focusCell % kSize + columns;
    if (row < 0 || row >= kSize || column < 0 || column >= kSize)
        return;
    const int cell = row * kSize + column;
    if (isCellVisible(cell))
        setFocusCell(cell);
}

void CrosspointGrid::keyPressEvent(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Left:
        moveFocus(0, -1);
        return;
    case Qt::Key_Right:
        moveFocus(0, 1);
        return;
    case Qt::Key_Up:
        moveFocus(-1, 0);
        return;
    case Qt::Key_Down:
        moveFocus(1, 0);
        return;
    case Qt::Key_Space:
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (!event->isAutoRepeat() && isCellVisible(m_focusCell))
            emit cellClicked(m_focusCell);
        return;
    default:
        QWidget::keyPressEvent(event);
    }
}

void CrosspointGrid::focusInEvent(QFocusEvent *event)
{
    if (!isCellVisible(m_focusCell) && isCellVisible(0))
        m_focusCell = 0;
    updateCell(m_focusCell);
    QWidget::focusInEvent(event);
}

void CrosspointGrid::focusOutEvent(QFocusEvent *event)
{
    updateCell(m_focusCell);
    QWidget::focusOutEvent(event);
}

bool CrosspointGrid::event(QEvent *event)
{
    if (event->type() == QEvent::ToolTip) {
        auto *help = static_cast<QHelpEvent *>(event);
        const int cell = cellAt(help->pos());
        if (isCellVisible(cell))
            QToolTip::showText(help->globalPos(), describe(cell), this, cellRect(cell));
        else
            QToolTip::hideText();
        return true;
    }
    return QWidget::event(event);
}

} // namespace corvantis
