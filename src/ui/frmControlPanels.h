#pragma once

#include "service/PanelListening.h"

#include <QDialog>
#include <QList>

class QGroupBox;
class QLineEdit;

namespace corvantis {

// The window's choice of control servers to run, each on its own address.
class frmControlPanels : public QDialog {
    Q_OBJECT

public:
    // One section per server, as each is now.
    explicit frmControlPanels(const QList<PanelListening *> &servers, QWidget *parent = nullptr);

    // In the order of the servers given.
    QList<PanelListening::Choice> choices() const;

private:
    struct Section {
        QGroupBox *serve;
        QLineEdit *address;
    };
    QList<Section> m_sections;
};

} // namespace corvantis
