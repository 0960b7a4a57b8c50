#pragma once

#include "core/AppCore.h"

#include <QWidget>
#include <array>

class QLabel;
class QLineEdit;

namespace corvantis {

class PictureButton;

// The names of the inputs in view (left of the grid) or of the outputs in view (right of it,
// each with its number and marker). A name the operator typed is committed once, when the
// box's editing finishes (Enter, Tab, a click elsewhere), through the core's action path.
class NamesPanel : public QWidget {
    Q_OBJECT

public:
    static constexpr int kViewSize = AppCore::kViewSize;

    NamesPanel(AppCore &core, AppCore::Side side, QWidget *parent = nullptr);

    QLineEdit *box(int viewIndex) const;
    QString nameShown(int viewIndex) const;
    // The names (and output numbers) of the rows or columns in view, from the core.
    void refresh();
    // Rows or columns up to maxIndex are shown.
    void applyLayout(int maxIndex);
    void setControlsEnabled(bool enabled);
    // A name still being typed is committed now (before a scroll, a save, the end).
    void commitEditing();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void commit(int viewIndex);

    AppCore &m_core;
    AppCore::Side m_side;
    std::array<QLineEdit *, kViewSize> m_boxes{};
    // The output side only: the number and the marker beside each name.
    std::array<QLabel *, kViewSize> m_numbers{};
    std::array<PictureButton *, kViewSize> m_markers{};
};

} // namespace corvantis
