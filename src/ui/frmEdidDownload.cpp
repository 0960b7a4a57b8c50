#include "ui/frmEdidDownload.h"

#include "core/AppCore.h"
#include "ui/DialogLook.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace corvantis {

frmEdidDownload::frmEdidDownload(AppCore &core, int frameAddress, const QString &path,
                                 const QString &comPortName, QWidget *parent)
    : QDialog(parent), m_core(core),
      m_transfer(std::make_shared<EdidTransfer>(core.settings(), core.link())),
      m_frameAddress(frameAddress), m_path(path), m_comPortName(comPortName)
{
    setObjectName(QStringLiteral("frmEdidDownload"));
    setWindowTitle(QStringLiteral("EDID Download Progress..."));
    setModal(true);

    auto *caption = new QLabel(QStringLiteral("Status:"), this);
    m_lblStatus = new QLabel(QStringLiteral("Transmitting EDID"), this);
    m_lblStatus->setObjectName(QStringLiteral("lblStatus"));
    m_lblStatus->setMinimumWidth(200);
    m_pbrEdidDownload = new QProgressBar(this);
    m_pbrEdidDownload->setObjectName(QStringLiteral("pbrEdidDownload"));
    m_pbrEdidDownload->setRange(0, EdidTransfer::kBlocks);
    m_pbrEdidDownload->setValue(0);
    m_pbrEdidDownload->setTextVisible(false);
    m_lblProgress = new QLabel(QStringLiteral("0%"), this);
    m_lblProgress->setObjectName(QStringLiteral("lblProgress"));
    m_lblProgress->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_lblProgress->setMinimumWidth(m_lblProgress->fontMetrics().horizontalAdvance("100%") + 4);

    auto *grid = new QGridLayout;
    grid->setHorizontalSpacing(8);
    grid->addWidget(caption, 0, 0);
    grid->addWidget(m_lblStatus, 0, 1, 1, 2);
    grid->addWidget(m_pbrEdidDownload, 1, 0, 1, 2);
    grid->addWidget(m_lblProgress, 1, 2);
    grid->setColumnStretch(1, 1);

    m_cmdOK = DialogLook::MakeButton(QStringLiteral("OK"), QStringLiteral("cmdOK"), this);
    m_cmdOK->setEnabled(false);
    m_cmdCancel =
        DialogLook::MakeButton(QStringLiteral("Cancel"), QStringLiteral("cmdCancel"), this);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_cmdOK);
    buttons->addWidget(m_cmdCancel);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(12, 10, 12, 10);
    layout->setSpacing(10);
    layout->addLayout(grid);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    DialogLook::Apply(this);

    EdidTransfer *transfer = m_transfer.get();
    connect(transfer, &EdidTransfer::statusChanged, this, &frmEdidDownload::showStatus);
    connect(transfer, &EdidTransfer::progressChanged, this, &frmEdidDownload::showProgress);
    connect(transfer, &EdidTransfer::okEnabledChanged, m_cmdOK, &QPushButton::setEnabled);
    connect(transfer, &EdidTransfer::cancelEnabledChanged, m_cmdCancel, &QPushButton::setEnabled);
    connect(m_cmdOK, &QPushButton::clicked, this, &frmEdidDownload::accept);
    connect(m_cmdCancel, &QPushButton::clicked, this, &frmEdidDownload::reject);
}

void frmEdidDownload::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (m_started)
        return;
    m_started = true;
    // Once the window is up, so the operator sees the transfer from its first block.
    QTimer::singleShot(0, this, &frmEdidDownload::startDownload);
}

void frmEdidDownload::startDownload()
{
    // Closed before it came to start: nothing is sent.
    if (!isVisible())
        return;
    const auto download = [transfer = m_transfer, frame = m_frameAddress, path = m_path,
                           port = m_comPortName]() -> Task<void> {
        co_await transfer->Run(frame, path, port);
    };
    if (!m_core.RunOnLine(QStringLiteral("EDID Download"), download)) {
        showStatus(QStringLiteral("Download Failed!"), EdidTransfer::kRed);
        m_cmdOK->setEnabled(true);
    }
}

void frmEdidDownload::reject()
{
    // While the router writes, the transfer must run to its end.
    if (!m_cmdCancel->isEnabled())
        return;
    m_transfer->Cancel();
    QDialog::reject();
}

void frmEdidDownload::showStatus(const QString &text, int colour)
{
    m_lblStatus->setText(text);
    DialogLook::SetTextColour(m_lblStatus, colour);
}

void frmEdidDownload::showProgress(int value, int maximum, const QString &percent)
{
    m_pbrEdidDownload->setMaximum(maximum);
    m_pbrEdidDownload->setValue(value);
    m_lblProgress->setText(percent);
}

} // namespace corvantis
