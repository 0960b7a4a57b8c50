#include "ui/SalvoOutputsDialog.h"

#include "core/AppCore.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace corvantis {

SalvoOutputsDialog::SalvoOutputsDialog(AppCore &core, QWidget *parent)
    : QDialog(parent), m_core(core)
{
    setWindowTitle(QStringLiteral("Store Outputs as Salvo"));
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Salvo name:"), this));
    m_name = new QLineEdit(this);
    m_name->setObjectName(QStringLiteral("txtSalvoName"));
    layout->addWidget(m_name);
    layout->addWidget(new QLabel(QStringLiteral("Outputs whose routing it keeps:"), this));
    m_outputs = new QListWidget(this);
    m_outputs->setObjectName(QStringLiteral("lstSalvoOutputs"));
    for (int o = 0; o <= core.matrix().MaxOutput(); ++o) {
        auto *item =
            new QListWidgetItem(QStringLiteral("%1  %2").arg(o + 1).arg(QString::fromStdString(
                                    core.NameTextAt(AppCore::Side::Output, o))),
                                m_outputs);
        item->setData(Qt::UserRole, o);
        item->setCheckState(Qt::Checked);
    }
    layout->addWidget(m_outputs);
    m_refusal = new QLabel(this);
    layout->addWidget(m_refusal);
    m_buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    layout->addWidget(m_buttons);
    connect(m_buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(m_buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_name, &QLineEdit::textChanged, this, &SalvoOutputsDialog::check);
    connect(m_outputs, &QListWidget::itemChanged, this, &SalvoOutputsDialog::check);
    check();
}

QString SalvoOutputsDialog::name() const
{
    return m_name->text();
}

QList<int> SalvoOutputsDialog::outputs() const
{
    QList<int> chosen;
    for (int row = 0; row < m_outputs->count(); ++row)
        if (m_outputs->item(row)->checkState() == Qt::Checked)
            chosen << m_outputs->item(row)->data(Qt::UserRole).toInt();
    return chosen;
}

void SalvoOutputsDialog::check()
{
    QString refusal = m_core.salvos().nameRefusal(name());
    if (refusal.isEmpty() && outputs().isEmpty())
        refusal = QStringLiteral("Choose at least one output");
    m_refusal->setText(refusal);
    m_buttons->button(QDialogButtonBox::Ok)->setEnabled(refusal.isEmpty());
}

} // namespace corvantis
