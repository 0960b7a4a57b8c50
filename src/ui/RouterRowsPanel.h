#pragma once

#include "config/SetupDialogModel.h"

#include <QFrame>
#include <array>
#include <optional>
#include <string>

class QCheckBox;
class QComboBox;
class QGridLayout;
class QLabel;
class QLineEdit;
class QScrollBar;

namespace corvantis {

// The setup dialog's table of routers: one row each for the visible routers with its type,
// counts and mapping, and the scroll bar over the rest. It shows what the model says and
// reports what the operator did; the dialog decides.
class RouterRowsPanel : public QFrame {
    Q_OBJECT

public:
    enum class Box { Inputs, Outputs, MapIn, MapOut };
    struct BoxEdit {
        int row = 0;
        Box box = Box::Inputs;
        std::string text;
        bool shown = false;
    };

    explicit RouterRowsPanel(QWidget *parent = nullptr);

    void present(const SetupDialogModel &model);
    // The count or mapping box that holds the window's focus.
    std::optional<BoxEdit> focusedBox() const;

signals:
    void boxEntered();
    void boxLeft(const RouterRowsPanel::BoxEdit &edit);
    void modelChosen(int row, int index);
    void audioBreakawayToggled(int row, bool on);
    void scrolled(int value);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    struct RowWidgets {
        QLabel *lblFA = nullptr;
        QComboBox *cboRouter = nullptr;
        QLineEdit *txtInputs = nullptr;
        QLineEdit *txtOutputs = nullptr;
        QCheckBox *ckAVSplit = nullptr;
        QLineEdit *txtMInput = nullptr;
        QLabel *lblMInEnd = nullptr;
        QLineEdit *txtMOutput = nullptr;
        QLabel *lblMOutEnd = nullptr;
    };

    QLineEdit *makeBox(const QString &name, int row, Box kind);
    BoxEdit editOf(const QLineEdit *box) const;
    void placeMapHeadings(bool shown);
    void presentRows(const SetupDialogModel &model);

    QGridLayout *m_grid = nullptr;
    QLabel *m_lblMapHelp = nullptr;
    QLabel *m_lblMapIn = nullptr;
    QLabel *m_lblMapOut = nullptr;
    QLabel *m_lblAVSplit = nullptr;
    std::array<RowWidgets, SetupDialogModel::kVisibleRows> m_rows;
    QScrollBar *m_vScroll = nullptr;
};

} // namespace corvantis
