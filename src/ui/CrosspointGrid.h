#pragma once

#include <QWidget>
#include <array>
#include <cstdint>
#include <functional>

namespace corvantis {

// The 16 x 16 crosspoint cells as one widget. Cell k is view row k / 16 (an input) and view
// column k % 16 (an output). Each cell keeps its visibility and its picture (0 empty, 1 video
// while audio comes from elsewhere, 2 audio, 3 all levels), readable by tests and by
// accessibility tools. Per column it remembers the rows of the markers it drew last, so a
// column redraw touches at most four cells.
class CrosspointGrid : public QWidget {
    Q_OBJECT

public:
    static constexpr int kSize = 16;
    static constexpr int kCells = kSize * kSize;

    explicit CrosspointGrid(int cellSize, QWidget *parent = nullptr);

    int cellSize() const { return m_cellSize; }
    // -1 for an index outside the grid.
    int picture(int cell) const;
    void setPicture(int cell, int picture);
    void setAllPictures(int picture);
    bool isCellVisible(int cell) const;
    void setCellVisible(int cell, bool visible);

    // How far the markers of a column can be trusted (VectorPictures::TruthMark per level),
    // and the rows a pending route asks for.
    struct ColumnTruth {
        int video = 0;
        int audio = 0;
        int pendingVideoRow = -1;
        int pendingAudioRow = -1;
        int presetVideoRow = -1;
        int presetAudioRow = -1;
    };

    // The markers of one column: the old ones are removed, then the video (or combined)
    // marker and, when split, the audio marker are drawn where their rows lie inside the
    // grid. The audio marker is drawn last, so it wins a shared cell.
    void ShowColumn(int column, int videoRow, int audioRow, bool split, const ColumnTruth &truth);
    void ShowColumn(int column, int videoRow, int audioRow, bool split)
    {
        ShowColumn(column, videoRow, audioRow, split, ColumnTruth());
    }
    // The cell's VectorPictures::TruthMark; -1 outside the grid.
    int truthMark(int cell) const;
    // Removes the column's markers only.
    void ClearColumn(int column);

    int focusCell() const { return m_focusCell; }
    void setFocusCell(int cell);
    QRect cellRect(int cell) const;
    // -1 when the point hits no cell.
    int cellAt(const QPoint &point) const;

    // Words for a cell (tool tip and accessible name), given by the window, which knows names.
    void setDescriber(std::function<QString(int cell)> describer);
    QString describe(int cell) const;
    static QString pictureText(int picture);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

signals:
    void cellClicked(int cell);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    bool event(QEvent *event) override;

private:
    static bool inside(int cell) { return cell >= 0 && cell < kCells; }
    void setHoverCell(int cell);
    void updateCell(int cell);
    void setTruthMark(int column, int row, int mark);
    void moveFocus(int rows, int columns);

    int m_cellSize;
    std::array<std::uint8_t, kCells> m_pictures{};
    std::array<bool, kCells> m_visible{};
    std::array<int, kSize> m_videoRow{};
    std::array<int, kSize> m_audioRow{};
    std::array<std::uint8_t, kCells> m_truth{};
    std::array<int, kSize> m_pendingVideoRow{};
    std::array<int, kSize> m_pendingAudioRow{};
    std::array<int, kSize> m_presetVideoRow{};
    std::array<int, kSize> m_presetAudioRow{};
    std::function<QString(int)> m_describer;
    int m_hoverCell = -1;
    int m_pressedCell = -1;
    int m_focusCell = 0;
};

} // namespace corvantis
