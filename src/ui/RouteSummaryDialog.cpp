#include "ui/RouteSummaryDialog.h"

#include "core/AppCore.h"

#include <QDialogButtonBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace corvantis {

RouteSummaryDialog::RouteSummaryDialog(AppCore &core, const RouteReport &report, QWidget *parent)
    : QDialog(parent), m_report(report)
{
    setWindowTitle(report.title());
    setAttribute(Qt::WA_DeleteOnClose);
    auto *layout = new QVBoxLayout(this);
    auto *text = new QPlainTextEdit(report.summaryText(), this);
    text->setObjectName(QStringLiteral("txtSummary"));
    text->setReadOnly(true);
    layout->addWidget(text);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    QPushButton *retry =
        buttons->addButton(QStringLiteral("Retry Failed"), QDialogButtonBox::ActionRole);
    retry->setObjectName(QStringLiteral("cmdRetryFailed"));
    retry->setEnabled(!report.failedRoutes().isEmpty());
    connect(retry, &QPushButton::clicked, this, [this, &core] {
        core.RetryFailed(m_report);
        close();
    });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::close);
    layout->addWidget(buttons);
    resize(520, 320);
}

void RouteSummaryDialog::showFor(AppCore &core, QWidget *window)
{
    QObject::connect(&core, &AppCore::routesReported, window,
                     [&core, window](const RouteReport &r) {
                         if (r.count(RouteReport::Result::Confirmed) == r.total())
                             return;
                         auto *dialog = new RouteSummaryDialog(core, r, window);
                         dialog->setObjectName(QStringLiteral("frmRouteSummary"));
                         dialog->show();
                     });
}

} // namespace corvantis
