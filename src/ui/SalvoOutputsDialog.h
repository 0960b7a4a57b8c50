#pragma once

#include <QDialog>
#include <QList>

class QDialogButtonBox;
class QLabel;
class QLineEdit;
class QListWidget;

namespace corvantis {

class AppCore;

// Asks for a salvo's name and the outputs whose routing it keeps, every output chosen at first.
class SalvoOutputsDialog : public QDialog {
    Q_OBJECT

public:
    explicit SalvoOutputsDialog(AppCore &core, QWidget *parent = nullptr);

    QString name() const;
    // Logical outputs, 0-based.
    QList<int> outputs() const;

private:
    void check();

    AppCore &m_core;
    QLineEdit *m_name = nullptr;
    QListWidget *m_outputs = nullptr;
    QLabel *m_refusal = nullptr;
    QDialogButtonBox *m_buttons = nullptr;
};

} // namespace corvantis
