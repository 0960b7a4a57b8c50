#pragma once

#include "config/MacroBankLogic.h"

#include <QWidget>
#include <array>

class QLabel;
class QPushButton;
class QScrollBar;

namespace corvantis {

// The macro area's controls: the "Macros" heading and the record label, the macro buttons
// with their scroll bar, and the record button. MacroBank brings them to life.
class MacroBar : public QWidget {
    Q_OBJECT

public:
    explicit MacroBar(QWidget *parent = nullptr);

    QPushButton *macroButton(int index) const;
    QScrollBar *scrollBar() const { return m_vScrollMacro; }
    QPushButton *recordButton() const { return m_btnRecord; }
    QLabel *recordLabel() const { return m_lblRecord; }
    QLabel *heading() const { return m_lblMacros; }

    void setControlsEnabled(bool enabled);

private:
    std::array<QPushButton *, MacroBankLogic::kButtons> m_btnMacro{};
    QScrollBar *m_vScrollMacro = nullptr;
    QPushButton *m_btnRecord = nullptr;
    QLabel *m_lblMacros = nullptr;
    QLabel *m_lblRecord = nullptr;
};

} // namespace corvantis
