#pragma once

#include "core/AppCore.h"

#include <QWidget>
#include <array>
#include <functional>

class QGridLayout;
class QLabel;
class QScrollBar;

namespace corvantis {

class CrosspointGrid;
class NumberLabel;
class PictureButton;

// The crosspoint grid with the input selectors and numbers to its left, the output numbers
// and selectors above it and its two scroll bars. It draws the route states the core holds
// and tells what the operator clicked or scrolled.
class CrosspointPanel : public QWidget {
    Q_OBJECT

public:
    static constexpr int kViewSize = AppCore::kViewSize;
    static constexpr int kCellSize = 26;
    // The grid's rows start below the output numbers and selectors.
    static constexpr int kFirstRow = 2;

    explicit CrosspointPanel(AppCore &core, QWidget *parent = nullptr);

    // The rows of a panel beside the grid line up with the grid's: the heading rows, one row
    // a cell, the grid's closing line in the last.
    static void shapeRows(QGridLayout &grid);

    CrosspointGrid *grid() const { return m_grid; }
    // The names the cell descriptions read (what the names panels show).
    void setNameSource(std::function<QString(AppCore::Side, int)> nameShown);

    void applyLayout(const AppCore::ViewLayout &layout);
    // The logical numbers of the rows and columns in view.
    void showNumbers();
    // The markers of every column in view from the core's route states.
    void redraw();
    // The padlocks and their tooltips on the output selectors in view.
    void showLocks();
    void setControlsEnabled(bool enabled);
    // Bulk routes count the outputs from the start, so the view goes there.
    void showOutputsFromStart();

signals:
    void cellClicked(int cell);
    void inputSelectorClicked(int viewRow);
    void inputsScrolled(int offset);
    void outputsScrolled(int offset);

private:
    void buildOutputHeadings(QGridLayout &grid);
    void buildPictureSources();
    void showColumn(int viewColumn, const PhysicalPort &owner);
    static int truthMark(CrosspointTruth::State state);
    // What the cell's truth mark means, with the reason and time of a failure.
    QString truthText(int cell) const;
    QString describeCell(int cell) const;
    QString levelName() const;
    void offerLock(int viewColumn);

    AppCore &m_core;
    std::function<QString(AppCore::Side, int)> m_nameShown;
    CrosspointGrid *m_grid = nullptr;
    std::array<PictureButton *, kViewSize> m_imgMIn{};
    std::array<NumberLabel *, kViewSize> m_txtMIn{};
    std::array<QLabel *, kViewSize> m_lblMOut{};
    std::array<PictureButton *, kViewSize> m_imgMOut{};
    QScrollBar *m_vScroll = nullptr;
    QScrollBar *m_hScroll = nullptr;
};

} // namespace corvantis
