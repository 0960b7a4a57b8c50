#include "ui/frmConfig.h"

#include "config/ConfigFile.h"
#include "link/PortAddress.h"
#include "ui/AdvancedSettingsFrame.h"
#include "ui/Controls.h"
#include "ui/DialogLook.h"
#include "ui/PortTargetLabel.h"
#include "ui/RouterRowsPanel.h"
#include "ui/SetContainerEnabled.h"
#include "ui/Theme.h"
#include "util/GeneralFunctions.h"

#include <QComboBox>
#include <QEvent>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShortcut>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace corvantis {

namespace {

using Controls::makeLabel;
using Controls::setTextColour;

QComboBox *makeList(const QString &name, const QStringList &items, QWidget *parent)
{
    auto *list = new QComboBox(parent);
    list->setObjectName(name);
    list->addItems(items);
    return list;
}

QFrame *makeLine(const QString &name, QWidget *parent)
{
    auto *line = new QFrame(parent);
    line->setObjectName(name);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Plain);
    line->setLineWidth(1);
    return line;
}

} // namespace

frmConfig::frmConfig(const Configuration &config, QWidget *parent)
    : QDialog(parent), m_model(config.settings, config.routers), m_dataFolder(ProgramDataFolder())
{
    setObjectName(QStringLiteral("frmConfig"));
    setWindowTitle(QStringLiteral("Configure Router"));
    setModal(true);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(12, 10, 12, 10);
    layout->setSpacing(6);
    layout->addWidget(buildSettings());
    m_separators[0] = makeLine(QStringLiteral("linSeparator_0"), this);
    layout->addWidget(m_separators[0]);
    m_rows = new RouterRowsPanel(this);
    layout->addWidget(m_rows);
    layout->addWidget(buildButtons());
    m_separators[1] = makeLine(QStringLiteral("linSeparator_1"), this);
    layout->addWidget(m_separators[1]);
    // The advanced frame takes the room the taller size adds; without it a stretch keeps the
    // controls at the top.
    m_fraAdvanced = new AdvancedSettingsFrame(m_dataFolder, this);
    layout->addWidget(m_fraAdvanced, 10);
    layout->addStretch(1);

    m_model.SetAddressCheck([this](std::string_view text) {
        QString refused;
        PortAddress::Parse(QString::fromUtf8(text.data(), qsizetype(text.size())), m_dataFolder,
                           &refused);
        return refused.toStdString();
    });
    connect(m_rows, &RouterRowsPanel::boxEntered, this, [this] { m_model.EnterField(); });
    connect(m_rows, &RouterRowsPanel::boxLeft, this, &frmConfig::commitBox);
    connect(m_rows, &RouterRowsPanel::modelChosen, this, &frmConfig::modelChosen);
    connect(m_rows, &RouterRowsPanel::audioBreakawayToggled, this,
            [this](int row, bool on) { m_model.SetAudioBreakaway(row, on); });
    connect(m_rows, &RouterRowsPanel::scrolled, this, &frmConfig::scrolled);
    connect(m_fraAdvanced, &AdvancedSettingsFrame::changeRouterAddressRequested, this,
            &frmConfig::changeRouterAddressRequested);
    connect(m_fraAdvanced, &AdvancedSettingsFrame::uploadEdidRequested, this,
            [this](int frameAddress, const QString &path) {
                emit uploadEdidRequested(frameAddress, path,
                                         QString::fromStdString(m_model.ComPortName()));
            });
    m_model.SetFamilyLabelHandler([this](std::string_view label) {
        emit familyLabelChanged(QString::fromUtf8(label.data(), qsizetype(label.size())));
    });

    auto *help = new QShortcut(QKeySequence(Qt::Key_F1), this);
    connect(help, &QShortcut::activated, this,
            [this] { emit helpRequested(m_model.CountHelpTopic()); });

    ApplyColours();
    refresh();
    applyHeight();
}

QWidget *frmConfig::buildSettings()
{
    auto *panel = new QWidget(this);
    auto *grid = new QGridLayout(panel);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setHorizontalSpacing(8);
    grid->setVerticalSpacing(6);

    QStringList counts;
    for (int n = 1; n <= SetupDialogModel::kMaxRouters; ++n)
        counts << QString::number(n);
    m_cboRouterCount = makeList(QStringLiteral("cboRouterCount"), counts, panel);
    QStringList ports;
    for (const auto &name : SetupDialogModel::ComPortNames())
        ports << QString::fromStdString(name);
    ports << QString::fromLatin1(SetupDialogModel::kAddressEntryName);
    m_cboCom = makeList(QStringLiteral("cboCom"), ports, panel);
    m_txtPortAddress = new QLineEdit(QString::fromStdString(m_model.PortAddress()), panel);
    m_txtPortAddress->setObjectName(QStringLiteral("txtPortAddress"));
    m_txtPortAddress->setPlaceholderText(
        QStringLiteral("socket://host:4001 or rfc2217://host:4001 or /dev/ttyUSB0"));
    QStringList types;
    for (const auto &name : SetupDialogModel::CommTypeNames())
        types << QString::fromStdString(name);
    m_cboCommType = makeList(QStringLiteral("cboCommType"), types, panel);
    m_txtTimeout = new QLineEdit(panel);
    m_txtTimeout->setObjectName(QStringLiteral("txtTimeout"));
    m_txtTimeout->setFixedWidth(64);
    m_txtGap = new QLineEdit(panel);
    m_txtGap->setObjectName(QStringLiteral("txtGap"));
    m_txtGap->setFixedWidth(64);
    m_txtGap->setToolTip(QStringLiteral("The pause after every command, 0 to 1 second. Less than "
                                        "0.2 only for routers known to take commands faster."));
    m_lblPairingNote = makeLabel({}, panel, QStringLiteral("lblPairingNote"));
    m_lblPairingNote->setWordWrap(true);
    m_lblComTarget = new PortTargetLabel(m_dataFolder, panel);

    grid->addWidget(makeLabel(QStringLiteral("Router Count"), panel), 0, 0);
    grid->addWidget(m_cboRouterCount, 0, 1);
    grid->addWidget(makeLabel(QStringLiteral("Com Port"), panel), 1, 0);
    grid->addWidget(m_cboCom, 1, 1);
    grid->addWidget(m_lblComTarget, 1, 2);
    grid->addWidget(m_txtPortAddress, 2, 1, 1, 2);
    grid->addWidget(makeLabel(QStringLiteral("Comm Type"), panel), 0, 4);
    grid->addWidget(m_cboCommType, 0, 5, 1, 2);
    grid->addWidget(makeLabel(QStringLiteral("Router Timeout"), panel), 1, 4);
    grid->addWidget(m_txtTimeout, 1, 5);
    grid->addWidget(makeLabel(QStringLiteral("seconds"), panel), 1, 6);
    grid->addWidget(makeLabel(QStringLiteral("Command Gap"), panel), 2, 4);
    grid->addWidget(m_txtGap, 2, 5);
    grid->addWidget(makeLabel(QStringLiteral("seconds"), panel), 2, 6);
    grid->addWidget(m_lblPairingNote, 3, 4, 1, 3);
    grid->setColumnStretch(2, 1);
    grid->setColumnMinimumWidth(3, 12);

    connect(m_cboRouterCount, &QComboBox::activated, this, &frmConfig::routerCountChosen);
    connect(m_cboCom, &QComboBox::activated, this, [this](int index) {
        m_model.SetComPortIndex(index);
        m_txtPortAddress->setVisible(m_model.UsesPortAddress());
        if (m_model.UsesPortAddress())
            m_txtPortAddress->setFocus();
        updatePortHint();
    });
    connect(m_txtPortAddress, &QLineEdit::textEdited, this,
            [this](const QString &text) { m_model.SetPortAddress(text.toStdString()); });
    connect(m_txtPortAddress, &QLineEdit::editingFinished, this, &frmConfig::updatePortHint);
    connect(m_cboCommType, &QComboBox::activated, this, [this](int index) {
        m_model.SetCommType(index);
        showPairingNote();
    });
    connect(m_txtTimeout, &QLineEdit::textEdited, this,
            [this](const QString &text) { m_model.SetTimeoutText(text.toStdString()); });
    connect(m_txtGap, &QLineEdit::textEdited, this,
            [this](const QString &text) { m_model.SetGapText(text.toStdString()); });
    return panel;
}

QWidget *frmConfig::buildButtons()
{
    auto *panel = new QWidget(this);
    auto *grid = new QGridLayout(panel);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setHorizontalSpacing(8);
    grid->setVerticalSpacing(6);

    m_lblExtraHelp =
        makeLabel(QStringLiteral("Click here for extra help on setting up multiple routers"), panel,
                  QStringLiteral("lblExtraHelp"));
    m_lblExtraHelp->setCursor(Qt::PointingHandCursor);
    QFont underlined = m_lblExtraHelp->font();
    underlined.setUnderline(true);
    m_lblExtraHelp->setFont(underlined);
    QSizePolicy keepPlace = m_lblExtraHelp->sizePolicy();
    keepPlace.setRetainSizeWhenHidden(true);
    m_lblExtraHelp->setSizePolicy(keepPlace);
    m_lblExtraHelp->installEventFilter(this);

    m_btnResetMapping = new QPushButton(QStringLiteral("Reset Advanced Configuration"), panel);
    m_btnResetMapping->setObjectName(QStringLiteral("btnResetMapping"));
    m_btnAdvanced = new QPushButton(QStringLiteral("Advanced Configuration"), panel);
    m_btnAdvanced->setObjectName(QStringLiteral("btnAdvanced"));
    m_btnAdvanced->setCheckable(true);
    m_btnOK = new QPushButton(QStringLiteral("&OK"), panel);
    m_btnOK->setObjectName(QStringLiteral("btnOK"));
    m_btnOK->setDefault(true);
    m_btnCancel = new QPushButton(QStringLiteral("&Cancel"), panel);
    m_btnCancel->setObjectName(QStringLiteral("btnCancel"));
    for (QPushButton *button : {m_btnOK, m_btnCancel})
        button->setMinimumWidth(84);

    grid->addWidget(m_lblExtraHelp, 0, 0, 1, 5);
    grid->addWidget(m_btnResetMapping, 1, 0);
    grid->setColumnStretch(1, 1);
    grid->addWidget(m_btnAdvanced, 1, 2);
    grid->addWidget(m_btnOK, 1, 3);
    grid->addWidget(m_btnCancel, 1, 4);

    connect(m_btnResetMapping, &QPushButton::clicked, this, [this] {
        m_model.ResetMapping();
        refresh();
    });
    connect(m_btnAdvanced, &QPushButton::toggled, this, &frmConfig::advancedToggled);
    connect(m_btnOK, &QPushButton::clicked, this, &frmConfig::okClicked);
    connect(m_btnCancel, &QPushButton::clicked, this, &frmConfig::cancelClicked);
    return panel;
}

void frmConfig::ApplyColours()
{
    DialogLook::Apply(this);

    const auto labels = findChildren<QLabel *>();
    for (QLabel *label : labels)
        setTextColour(label, Theme::kText);
    for (QGroupBox *frame : findChildren<QGroupBox *>())
        setTextColour(frame, Theme::kText);

    // The toggle carries the dialog's own colours; drawn flat so it does not read as disabled
    // beside the system's buttons, and as high as they are.
    m_btnAdvanced->setStyleSheet(
        QStringLiteral("QPushButton { color: %1; background: %2; border: 1px solid #909090;"
                       " border-radius: 3px; padding: 0 12px; }"
                       "QPushButton:hover { background: #6c6c6c; }"
                       "QPushButton:checked { background: #2c2c2c; border-color: %1; }"
                       "QPushButton:focus { border-color: %1; }")
            .arg(Theme::kText.name(), Theme::kOutline.name()));
    m_btnAdvanced->setMinimumHeight(m_btnOK->sizeHint().height());

    setTextColour(m_rows, Theme::kOutline);
    for (QFrame *line : m_separators)
        setTextColour(line, Qt::black);
    // The port hint keeps its own colour (found or missing), set with its text.
}

void frmConfig::showPairingNote()
{
    const std::string note = m_model.PairingNote();
    m_lblPairingNote->setText(QString::fromStdString(note));
    m_lblPairingNote->setVisible(!note.empty());
}

void frmConfig::refresh()
{
    {
        const QSignalBlocker countBlock(m_cboRouterCount);
        m_cboRouterCount->setCurrentIndex(m_model.RouterCount() - 1);
        const QSignalBlocker comBlock(m_cboCom);
        m_cboCom->setCurrentIndex(m_model.PortListIndex());
        m_txtPortAddress->setVisible(m_model.UsesPortAddress());
        const QSignalBlocker typeBlock(m_cboCommType);
        m_cboCommType->setCurrentIndex(m_model.CommType());
        showPairingNote();
        if (m_txtTimeout->text().toStdString() != m_model.TimeoutText())
            m_txtTimeout->setText(QString::fromStdString(m_model.TimeoutText()));
        if (m_txtGap->text().toStdString() != m_model.GapText())
            m_txtGap->setText(QString::fromStdString(m_model.GapText()));
    }
    const bool advanced = m_model.AdvancedMode();
    m_lblExtraHelp->setVisible(m_model.ExtraHelpVisible());
    m_btnResetMapping->setVisible(!advanced);
    m_rows->present(m_model);
    updatePortHint();
}

void frmConfig::updatePortHint()
{
    m_lblComTarget->present(m_model, m_cboCom->currentText());
}

void frmConfig::applyHeight()
{
    // The advanced settings lie in the part only the taller size shows.
    const bool advanced = m_model.AdvancedMode();
    m_fraAdvanced->setVisible(advanced);
    m_separators[1]->setVisible(advanced);
    SetContainerEnabled(m_fraAdvanced, advanced);
    setFixedSize(kWidth, advanced ? kAdvancedHeight : kNormalHeight);
}

bool frmConfig::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_lblExtraHelp && event->type() == QEvent::MouseButtonRelease) {
        m_cboRouterCount->setFocus(Qt::OtherFocusReason);
        emit helpRequested(SetupDialogModel::kHelpExtra);
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void frmConfig::commitBox(const RouterRowsPanel::BoxEdit &edit)
{
    switch (edit.box) {
    case RouterRowsPanel::Box::Inputs:
        m_model.CommitInputs(edit.row, edit.text);
        break;
    case RouterRowsPanel::Box::Outputs:
        m_model.CommitOutputs(edit.row, edit.text);
        break;
    case RouterRowsPanel::Box::MapIn:
        m_model.CommitMapIn(edit.row, edit.text);
        break;
    case RouterRowsPanel::Box::MapOut:
        m_model.CommitMapOut(edit.row, edit.text);
        break;
    }
    refresh();
}

void frmConfig::commitFocusedBox()
{
    const auto edit = m_rows->focusedBox();
    if (edit && edit->shown)
        commitBox(*edit);
}

void frmConfig::routerCountChosen(int index)
{
    m_model.SetRouterCount(index + 1);
    refresh();
}

void frmConfig::scrolled(int value)
{
    // The wheel moves the rows without taking the focus from a box being edited: its value
    // goes to its own router first, and the box stays open for the router that moves into
    // its row.
    const auto edit = m_rows->focusedBox();
    const bool editing = edit && m_model.FieldEntered();
    if (editing)
        commitBox(*edit);
    m_model.SetTopRow(value);
    if (editing)
        m_model.EnterField();
    refresh();
}

void frmConfig::advancedToggled(bool on)
{
    m_model.SetAdvancedMode(on);
    refresh();
    applyHeight();
}

void frmConfig::modelChosen(int row, int index)
{
    m_model.ChooseModel(row, index);
    refresh();
}

void frmConfig::okClicked()
{
    // Enter in a box presses OK without the box losing the focus; its value still counts.
    commitFocusedBox();
    m_model.SetTimeoutText(m_txtTimeout->text().toStdString());
    m_model.SetGapText(m_txtGap->text().toStdString());
    if (m_model.Accept())
        accept();
}

void frmConfig::cancelClicked()
{
    m_model.ClearFieldEntered();
    reject();
}

void frmConfig::writeResults(Configuration &config) const
{
    if (result() == QDialog::Accepted)
        m_model.WriteResults(config);
}

std::optional<SetupDialogModel::Result> frmConfig::results() const
{
    return result() == QDialog::Accepted ? m_model.Results() : std::nullopt;
}

} // namespace corvantis
