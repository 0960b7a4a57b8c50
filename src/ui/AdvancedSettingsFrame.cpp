#include "ui/AdvancedSettingsFrame.h"

#include "config/SetupDialogModel.h"
#include "ui/Controls.h"
#include "util/Platform.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>
#include <utility>

namespace corvantis {

using Controls::makeLabel;

AdvancedSettingsFrame::AdvancedSettingsFrame(std::string dataFolder, QWidget *parent)
    : QGroupBox(QStringLiteral("Advanced Settings"), parent), m_dataFolder(std::move(dataFolder))
{
    setObjectName(QStringLiteral("fraNull_0"));
    auto *outer = new QHBoxLayout(this);
    outer->setContentsMargins(10, 8, 10, 10);
    outer->setSpacing(10);

    auto *address = new QGroupBox(QStringLiteral("Router Address"), this);
    address->setObjectName(QStringLiteral("fraNull_1"));
    auto *addressLayout = new QVBoxLayout(address);
    auto *addressNote = makeLabel(
        QStringLiteral("Give a router on the line a new frame address. A password is needed."),
        address);
    addressNote->setWordWrap(true);
    auto *cmdRouterAddress = new QPushButton(QStringLiteral("&Change Router Address"), address);
    cmdRouterAddress->setObjectName(QStringLiteral("cmdRouterAddress"));
    addressLayout->addWidget(addressNote);
    addressLayout->addStretch(1);
    addressLayout->addWidget(cmdRouterAddress, 0, Qt::AlignLeft);

    auto *edid = new QGroupBox(QStringLiteral("EDID"), this);
    edid->setObjectName(QStringLiteral("fraNull_2"));
    auto *edidGrid = new QGridLayout(edid);
    edidGrid->setHorizontalSpacing(8);
    m_cboFrameAddress = new QComboBox(edid);
    m_cboFrameAddress->setObjectName(QStringLiteral("cboFrameAddress"));
    for (int a = 0; a < SetupDialogModel::kMaxRouters; ++a)
        m_cboFrameAddress->addItem(QString::number(a));
    m_txtEdidFile = new QLineEdit(edid);
    m_txtEdidFile->setObjectName(QStringLiteral("txtEdidFile"));
    auto *cmdOpenEdid = new QToolButton(edid);
    cmdOpenEdid->setText(QStringLiteral("..."));
    cmdOpenEdid->setObjectName(QStringLiteral("cmdOpenEdid"));
    cmdOpenEdid->setToolTip(QStringLiteral("Choose the EDID file"));
    auto *cmdXmitEdid = new QPushButton(QStringLiteral("Upload EDID"), edid);
    cmdXmitEdid->setObjectName(QStringLiteral("cmdXmitEdid"));
    edidGrid->addWidget(makeLabel(QStringLiteral("Frame Address:"), edid), 0, 0);
    edidGrid->addWidget(m_cboFrameAddress, 0, 1, Qt::AlignLeft);
    edidGrid->addWidget(makeLabel(QStringLiteral("EDID File:"), edid), 1, 0);
    edidGrid->addWidget(m_txtEdidFile, 1, 1);
    edidGrid->addWidget(cmdOpenEdid, 1, 2);
    edidGrid->addWidget(cmdXmitEdid, 2, 1, 1, 2, Qt::AlignRight);
    edidGrid->setColumnStretch(1, 1);

    outer->addWidget(address, 2);
    outer->addWidget(edid, 3);

    connect(cmdRouterAddress, &QPushButton::clicked, this,
            &AdvancedSettingsFrame::changeRouterAddressRequested);
    connect(cmdOpenEdid, &QToolButton::clicked, this, &AdvancedSettingsFrame::openEdidClicked);
    connect(cmdXmitEdid, &QPushButton::clicked, this, [this] {
        emit uploadEdidRequested(m_cboFrameAddress->currentIndex(), m_txtEdidFile->text());
    });
}

void AdvancedSettingsFrame::openEdidClicked()
{
    const std::string path =
        platform().openFileDialog("Configuration File", "*.bin", m_dataFolder, "");
    // Cancelling keeps the file already chosen.
    if (!path.empty())
        m_txtEdidFile->setText(QString::fromStdString(path));
}

} // namespace corvantis
