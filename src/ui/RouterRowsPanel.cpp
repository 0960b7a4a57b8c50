#include "ui/RouterRowsPanel.h"

#include "config/RouterCatalog.h"
#include "ui/Controls.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QFocusEvent>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QTimer>

namespace corvantis {

namespace {

const char *const kRowProperty = "corvantisRow";
const char *const kKindProperty = "corvantisBox";

constexpr int kCountBoxWidth = 52;
constexpr int kMapInColumn = 5;
constexpr int kMapOutColumn = 7;
constexpr int kEndLabelWidth = 40;

using Controls::makeLabel;
using Controls::numbered;

} // namespace

RouterRowsPanel::RouterRowsPanel(QWidget *parent) : QFrame(parent)
{
    setObjectName(QStringLiteral("shpOutline"));
    setFrameShape(QFrame::Box);
    setFrameShadow(QFrame::Plain);
    setLineWidth(1);
    auto *grid = new QGridLayout(this);
    grid->setContentsMargins(8, 6, 6, 6);
    grid->setHorizontalSpacing(8);
    grid->setVerticalSpacing(4);

    // Columns: address, model, inputs, outputs, split, map in + end, map out + end, scroll bar.
    enum { cFA, cModel, cIn, cOut, cSplit, cMapIn, cMapInEnd, cMapOut, cMapOutEnd, cScroll };
    static_assert(cMapIn == kMapInColumn && cMapOut == kMapOutColumn);
    m_grid = grid;
    m_lblMapHelp = makeLabel(QStringLiteral("Map Physical In/Out to Matrix In/Out:"), this,
                             QStringLiteral("lblMapHelp"));
    // Headings sit on the line just above the rows, also beside the two-line ones.
    const auto heading = [&](const QString &text, int column) {
        QLabel *label = makeLabel(text, this);
        label->setAlignment(Qt::AlignLeft | Qt::AlignBottom);
        grid->addWidget(label, 1, column);
        return label;
    };
    heading(QStringLiteral("Address"), cFA);
    heading(QStringLiteral("Router Type"), cModel);
    heading(QStringLiteral("Inputs"), cIn);
    heading(QStringLiteral("Outputs"), cOut);
    m_lblAVSplit = heading(QStringLiteral("A/V Split"), cSplit);
    m_lblMapIn =
        makeLabel(QStringLiteral("Maps to Matrix Inputs"), this, QStringLiteral("lblMapIn"));
    m_lblMapOut =
        makeLabel(QStringLiteral("Maps to Matrix Outputs"), this, QStringLiteral("lblMapOut"));
    // Two short lines each, so the advanced columns fit beside the model lists.
    for (QLabel *heading : {m_lblMapIn, m_lblMapOut}) {
        heading->setWordWrap(true);
        heading->setAlignment(Qt::AlignLeft | Qt::AlignBottom);
    }

    QStringList models;
    for (const auto &entry : RouterCatalog::models())
        models << QString::fromUtf8(entry.modelName.data(), qsizetype(entry.modelName.size()));

    for (int r = 0; r < SetupDialogModel::kVisibleRows; ++r) {
        RowWidgets &row = m_rows[static_cast<std::size_t>(r)];
        const int gridRow = r + 2;
        row.lblFA = makeLabel({}, this, numbered("lblFA", r));
        row.cboRouter = new QComboBox(this);
        row.cboRouter->setObjectName(numbered("cboRouter", r));
        row.cboRouter->addItems(models);
        row.cboRouter->setMinimumWidth(150);
        row.txtInputs = makeBox(numbered("txtInputs", r), r, Box::Inputs);
        row.txtOutputs = makeBox(numbered("txtOutputs", r), r, Box::Outputs);
        row.ckAVSplit = new QCheckBox(this);
        row.ckAVSplit->setObjectName(numbered("ckAVSplit", r));
        row.txtMInput = makeBox(numbered("txtMInput", r), r, Box::MapIn);
        row.lblMInEnd = makeLabel({}, this, numbered("lblMInEnd", r));
        row.txtMOutput = makeBox(numbered("txtMOutput", r), r, Box::MapOut);
        row.lblMOutEnd = makeLabel({}, this, numbered("lblMOutEnd", r));
        row.lblMInEnd->setMinimumWidth(kEndLabelWidth);
        row.lblMOutEnd->setMinimumWidth(kEndLabelWidth);

        grid->addWidget(row.lblFA, gridRow, cFA);
        grid->addWidget(row.cboRouter, gridRow, cModel);
        grid->addWidget(row.txtInputs, gridRow, cIn);
        grid->addWidget(row.txtOutputs, gridRow, cOut);
        grid->addWidget(row.ckAVSplit, gridRow, cSplit, Qt::AlignCenter);
        grid->addWidget(row.txtMInput, gridRow, cMapIn);
        grid->addWidget(row.lblMInEnd, gridRow, cMapInEnd);
        grid->addWidget(row.txtMOutput, gridRow, cMapOut);
        grid->addWidget(row.lblMOutEnd, gridRow, cMapOutEnd);
        // Rows without a router keep their height, so the table does not jump.
        for (QWidget *w :
             std::initializer_list<QWidget *>{row.cboRouter, row.txtInputs, row.txtOutputs})
            w->setSizePolicy([&] {
                QSizePolicy policy = w->sizePolicy();
                policy.setRetainSizeWhenHidden(true);
                return policy;
            }());

        connect(row.cboRouter, &QComboBox::activated, this,
                [this, r](int index) { emit modelChosen(r, index); });
        connect(row.ckAVSplit, &QCheckBox::toggled, this,
                [this, r](bool on) { emit audioBreakawayToggled(r, on); });
    }
    grid->setColumnStretch(cModel, 1);

    m_vScroll = new QScrollBar(Qt::Vertical, this);
    m_vScroll->setObjectName(QStringLiteral("VScroll"));
    // Taking the focus lets a count box being edited apply its value before the rows move.
    m_vScroll->setFocusPolicy(Qt::ClickFocus);
    m_vScroll->setSingleStep(1);
    m_vScroll->setPageStep(SetupDialogModel::kVisibleRows);
    grid->addWidget(m_vScroll, 2, cScroll, SetupDialogModel::kVisibleRows, 1);
    connect(m_vScroll, &QScrollBar::valueChanged, this, &RouterRowsPanel::scrolled);
}

QLineEdit *RouterRowsPanel::makeBox(const QString &name, int row, Box kind)
{
    auto *box = new QLineEdit(this);
    box->setObjectName(name);
    box->setFixedWidth(kCountBoxWidth);
    box->setAlignment(Qt::AlignRight);
    box->setProperty(kRowProperty, row);
    box->setProperty(kKindProperty, static_cast<int>(kind));
    box->installEventFilter(this);
    return box;
}

RouterRowsPanel::BoxEdit RouterRowsPanel::editOf(const QLineEdit *box) const
{
    return {box->property(kRowProperty).toInt(),
            static_cast<Box>(box->property(kKindProperty).toInt()), box->text().toStdString(),
            box->isVisible()};
}

std::optional<RouterRowsPanel::BoxEdit> RouterRowsPanel::focusedBox() const
{
    auto *box = qobject_cast<QLineEdit *>(window()->focusWidget());
    if (!box || !isAncestorOf(box) || !box->property(kKindProperty).isValid())
        return std::nullopt;
    return editOf(box);
}

void RouterRowsPanel::present(const SetupDialogModel &model)
{
    {
        const QSignalBlocker scrollBlock(m_vScroll);
        m_vScroll->setRange(0, model.ScrollMaximum());
        m_vScroll->setValue(model.TopRow());
    }
    placeMapHeadings(model.AdvancedMode());
    m_lblAVSplit->setVisible(false);
    presentRows(model);
}

void RouterRowsPanel::placeMapHeadings(bool shown)
{
    // A hidden heading spanning several columns would still space them out, so outside
    // advanced mode the headings leave the table.
    const bool placed = m_grid->indexOf(m_lblMapHelp) >= 0;
    if (shown && !placed) {
        m_grid->addWidget(m_lblMapHelp, 0, kMapInColumn, 1, 4);
        m_grid->addWidget(m_lblMapIn, 1, kMapInColumn, 1, 2);
        m_grid->addWidget(m_lblMapOut, 1, kMapOutColumn, 1, 2);
    } else if (!shown && placed) {
        for (QLabel *heading : {m_lblMapHelp, m_lblMapIn, m_lblMapOut})
            m_grid->removeWidget(heading);
    }
    for (QLabel *heading : {m_lblMapHelp, m_lblMapIn, m_lblMapOut})
        heading->setVisible(shown);
}

void RouterRowsPanel::presentRows(const SetupDialogModel &model)
{
    for (int r = 0; r < SetupDialogModel::kVisibleRows; ++r) {
        const RowWidgets &row = m_rows[static_cast<std::size_t>(r)];
        const SetupDialogModel::Row view = model.RowAt(r);
        const QSignalBlocker modelBlock(row.cboRouter);
        const QSignalBlocker splitBlock(row.ckAVSplit);
        row.lblFA->setText(QString::fromStdString(view.frameAddress));
        row.lblMInEnd->setText(QString::fromStdString(view.mapInEnd));
        row.lblMOutEnd->setText(QString::fromStdString(view.mapOutEnd));
        row.cboRouter->setVisible(view.present);
        row.txtInputs->setVisible(view.present);
        row.txtOutputs->setVisible(view.present);
        // The split flag comes from the configuration file only.
        row.ckAVSplit->setVisible(false);
        row.txtMInput->setVisible(view.present && view.mapBoxesVisible);
        row.txtMOutput->setVisible(view.present && view.mapBoxesVisible);
        row.lblMInEnd->setVisible(view.mapBoxesVisible);
        row.lblMOutEnd->setVisible(view.mapBoxesVisible);
        if (!view.present)
            continue;
        row.cboRouter->setCurrentIndex(view.model);
        row.ckAVSplit->setChecked(view.audioBreakaway);
        row.txtInputs->setText(QString::fromStdString(view.inputs));
        row.txtOutputs->setText(QString::fromStdString(view.outputs));
        row.txtMInput->setText(QString::fromStdString(view.mapIn));
        row.txtMOutput->setText(QString::fromStdString(view.mapOut));
    }
}

bool RouterRowsPanel::eventFilter(QObject *watched, QEvent *event)
{
    auto *box = qobject_cast<QLineEdit *>(watched);
    if (!box || !box->property(kKindProperty).isValid())
        return QFrame::eventFilter(watched, event);
    if (event->type() == QEvent::FocusIn) {
        emit boxEntered();
        const auto kind = static_cast<Box>(box->property(kKindProperty).toInt());
        // Count boxes select their whole text; after the click that gave the focus has
        // placed the cursor.
        if (kind == Box::Inputs || kind == Box::Outputs)
            QTimer::singleShot(0, box, &QLineEdit::selectAll);
    } else if (event->type() == QEvent::FocusOut) {
        const auto reason = static_cast<QFocusEvent *>(event)->reason();
        // Switching to another window or opening a menu is not leaving the box.
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason)
            emit boxLeft(editOf(box));
    }
    return QFrame::eventFilter(watched, event);
}

} // namespace corvantis
