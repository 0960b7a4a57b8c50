#include "ui/CrosspointPanel.h"

#include "ui/Controls.h"
#include "ui/CrosspointGrid.h"
#include "ui/NumberLabel.h"
#include "ui/PictureButton.h"
#include "ui/ReportFailure.h"
#include "ui/Theme.h"
#include "ui/VectorPictures.h"
#include "util/RuntimeError.h"

#include <QCursor>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QScrollBar>

namespace corvantis {

namespace {

constexpr int kNumberWidth = 34;
constexpr int kSelectorWidth = 22;
constexpr int kNumbersHeight = 16;
constexpr int kSelectorsHeight = 24;

enum Column { kInSelector = 0, kInNumber, kGap, kGrid, kVScroll };

QFont numberFont(const QWidget &widget)
{
    QFont font = widget.font();
    font.setPixelSize(11);
    return font;
}

} // namespace

CrosspointPanel::CrosspointPanel(AppCore &core, QWidget *parent) : QWidget(parent), m_core(core)
{
    const int s = kCellSize;
    auto *grid = new QGridLayout(this);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setHorizontalSpacing(0);
    grid->setVerticalSpacing(0);
    buildOutputHeadings(*grid);
    connect(&m_core.locks(), &OutputLocks::changed, this, &CrosspointPanel::showLocks);

    m_grid = new CrosspointGrid(s, this);
    m_grid->setObjectName(QStringLiteral("imgMatrix"));
    m_grid->setAccessibleName(QStringLiteral("Crosspoints"));
    m_grid->setDescriber([this](int cell) { return describeCell(cell); });
    connect(m_grid, &CrosspointGrid::cellClicked, this, &CrosspointPanel::cellClicked);
    grid->addWidget(m_grid, kFirstRow, kGrid, kViewSize, 1, Qt::AlignTop | Qt::AlignLeft);

    m_vScroll = new QScrollBar(Qt::Vertical, this);
    m_vScroll->setObjectName(QStringLiteral("VScroll"));
    m_vScroll->setRange(0, 0);
    m_vScroll->setFixedHeight(kViewSize * s + 1);
    m_vScroll->setToolTip(QStringLiteral("Scroll the inputs"));
    m_vScroll->hide();
    grid->addWidget(m_vScroll, kFirstRow, kVScroll, kViewSize, 1, Qt::AlignTop);
    m_hScroll = new QScrollBar(Qt::Horizontal, this);
    m_hScroll->setObjectName(QStringLiteral("HScroll"));
    m_hScroll->setRange(0, 0);
    m_hScroll->setFixedWidth(kViewSize * s + 1);
    m_hScroll->setToolTip(QStringLiteral("Scroll the outputs"));
    m_hScroll->hide();
    grid->addWidget(m_hScroll, kFirstRow + kViewSize, kGrid);
    grid->setRowMinimumHeight(kFirstRow + kViewSize, m_hScroll->sizeHint().height() + 2);
    connect(m_vScroll, &QScrollBar::valueChanged, this, &CrosspointPanel::inputsScrolled);
    connect(m_hScroll, &QScrollBar::valueChanged, this, &CrosspointPanel::outputsScrolled);

    for (int r = 0; r < kViewSize; ++r) {
        const auto i = static_cast<std::size_t>(r);
        auto *selector = new PictureButton(PictureButton::Kind::InputSelector, r, this);
        selector->setObjectName(Controls::numbered("imgMIn", r));
        selector->setFixedSize(kSelectorWidth, s);
        selector->setToolTip(QStringLiteral("Control-click: route this input to every output"));
        connect(selector, &PictureButton::clicked, this,
                [this, r] { emit inputSelectorClicked(r); });
        m_imgMIn[i] = selector;
        grid->addWidget(selector, kFirstRow + r, kInSelector);

        auto *number = new NumberLabel(this);
        number->setObjectName(Controls::numbered("txtMIn", r));
        number->setText(QString::number(r + 1));
        number->setFont(numberFont(*this));
        number->setFixedSize(kNumberWidth, s);
        number->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        number->setContentsMargins(0, 0, 5, 0);
        number->setToolTip(selector->toolTip());
        connect(number, &NumberLabel::clicked, this, [this, r] { emit inputSelectorClicked(r); });
        m_txtMIn[i] = number;
        grid->addWidget(number, kFirstRow + r, kInNumber);
    }
    shapeRows(*grid);
    grid->setColumnMinimumWidth(kInSelector, kSelectorWidth);
    grid->setColumnMinimumWidth(kInNumber, kNumberWidth);
    grid->setColumnMinimumWidth(kGap, 2);
    grid->setColumnMinimumWidth(kGrid, kViewSize * s + 1);
    grid->setColumnMinimumWidth(kVScroll, m_vScroll->sizeHint().width());
    buildPictureSources();
    connect(&core.engine(), &RoutingEngine::statusApplied, this, &CrosspointPanel::redraw);
    connect(&core, &AppCore::routeStatesChanged, this, &CrosspointPanel::redraw);
    connect(&core.truth(), &CrosspointTruth::changed, this, &CrosspointPanel::redraw);
    connect(&core.presets(), &TakePresets::changed, this, &CrosspointPanel::redraw);
    connect(&core, &AppCore::namesChanged, this, &CrosspointPanel::showNumbers);
}

void CrosspointPanel::shapeRows(QGridLayout &grid)
{
    grid.setRowMinimumHeight(0, kNumbersHeight);
    grid.setRowMinimumHeight(1, kSelectorsHeight);
    for (int r = 0; r < kViewSize; ++r)
        grid.setRowMinimumHeight(kFirstRow + r, kCellSize);
    // The grid's closing line.
    grid.setRowMinimumHeight(kFirstRow + kViewSize - 1, kCellSize + 1);
}

void CrosspointPanel::buildOutputHeadings(QGridLayout &grid)
{
    // Output numbers and selectors above the columns.
    auto *numbers = new QWidget(this);
    auto *numberRow = new QHBoxLayout(numbers);
    numberRow->setContentsMargins(0, 0, 1, 0);
    numberRow->setSpacing(0);
    auto *selectors = new QWidget(this);
    auto *selectorRow = new QHBoxLayout(selectors);
    selectorRow->setContentsMargins(0, 0, 1, 2);
    selectorRow->setSpacing(0);
    for (int c = 0; c < kViewSize; ++c) {
        auto *label =
            Controls::makeLabel(QString::number(c + 1), numbers, Controls::numbered("lblMOut", c));
        label->setFont(numberFont(*this));
        label->setAlignment(Qt::AlignHCenter | Qt::AlignBottom);
        label->setFixedSize(kCellSize, kNumbersHeight);
        Controls::setTextColour(label, Theme::kText);
        m_lblMOut[static_cast<std::size_t>(c)] = label;
        numberRow->addWidget(label);

        auto *selector = new PictureButton(PictureButton::Kind::OutputSelector, c, selectors);
        selector->setObjectName(Controls::numbered("imgMOut", c));
        selector->setFixedSize(kCellSize, 22);
        selector->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(selector, &QWidget::customContextMenuRequested, this, [this, c] { offerLock(c); });
        m_imgMOut[static_cast<std::size_t>(c)] = selector;
        selectorRow->addWidget(selector);
    }
    grid.addWidget(numbers, 0, kGrid);
    grid.addWidget(selectors, 1, kGrid);
}

void CrosspointPanel::buildPictureSources()
{
    // The picture sets the visible controls take their pictures from, kept as hidden
    // controls under their names.
    auto hidden = [this](PictureButton::Kind kind, int index, const QString &name) {
        auto *picture = new PictureButton(kind, index, this);
        picture->setObjectName(name);
        picture->hide();
    };
    for (int i = 0; i < 4; ++i)
        hidden(PictureButton::Kind::CellPicture, i, Controls::numbered("imgCPSource", i));
    hidden(PictureButton::Kind::InputSelector, 0, QStringLiteral("imgGreyInput"));
    hidden(PictureButton::Kind::OutputSelector, 0, QStringLiteral("imgMButtonUp"));
}

void CrosspointPanel::setNameSource(std::function<QString(AppCore::Side, int)> nameShown)
{
    m_nameShown = std::move(nameShown);
}

void CrosspointPanel::applyLayout(const AppCore::ViewLayout &layout)
{
    auto applyRange = [](QScrollBar *bar, AppCore::ScrollRange range) {
        if (range.visible) {
            bar->setRange(0, range.maximum);
            bar->setPageStep(AppCore::kScrollLargeChange);
            bar->setSingleStep(AppCore::kScrollSmallChange);
            bar->show();
        } else {
            bar->hide();
            bar->setValue(0);
        }
    };
    applyRange(m_vScroll, layout.inputs);
    applyRange(m_hScroll, layout.outputs);
    for (int k = 0; k < CrosspointGrid::kCells; ++k)
        m_grid->setCellVisible(k, k % kViewSize <= layout.maxOutput &&
                                      k / kViewSize <= layout.maxInput);
    for (int i = 0; i < kViewSize; ++i) {
        const auto n = static_cast<std::size_t>(i);
        m_txtMIn[n]->setVisible(i <= layout.maxInput);
        m_imgMIn[n]->setVisible(i <= layout.maxInput);
        m_imgMOut[n]->setVisible(i <= layout.maxOutput);
        m_lblMOut[n]->setVisible(i <= layout.maxOutput);
    }
}

void CrosspointPanel::showNumbers()
{
    for (int i = 0; i < kViewSize; ++i) {
        const auto n = static_cast<std::size_t>(i);
        m_txtMIn[n]->setText(QString::number(m_core.InputOffset() + i + 1));
        m_lblMOut[n]->setText(QString::number(m_core.OutputOffset() + i + 1));
    }
    showLocks();
}

void CrosspointPanel::showLocks()
{
    const OutputLocks &locks = m_core.locks();
    for (int c = 0; c < kViewSize; ++c) {
        const int output = m_core.OutputOffset() + c;
        const int holder = locks.holder(output);
        PictureButton *selector = m_imgMOut[static_cast<std::size_t>(c)];
        selector->setLocked(holder != OutputLocks::kNobody);
        selector->setToolTip(
            holder == OutputLocks::kNobody
                ? QStringLiteral("Right-click to lock output %1").arg(output + 1)
                : QStringLiteral("Output %1 is locked by %2; right-click to unlock")
                      .arg(output + 1)
                      .arg(locks.holderName(holder)));
    }
}

void CrosspointPanel::offerLock(int viewColumn)
{
    const int output = m_core.OutputOffset() + viewColumn;
    const bool locked = m_core.locks().holder(output) != OutputLocks::kNobody;
    QMenu menu(this);
    QAction *toggle = menu.addAction(locked ? QStringLiteral("&Unlock Output %1").arg(output + 1)
                                            : QStringLiteral("&Lock Output %1").arg(output + 1));
    toggle->setObjectName(QStringLiteral("mnuLockOutput"));
    if (menu.exec(QCursor::pos()) != toggle)
        return;
    if (locked)
        m_core.UnlockOutput(output);
    else
        m_core.LockOutput(output);
}

void CrosspointPanel::redraw()
{
    for (int c = 0; c < kViewSize; ++c) {
        PhysicalPort owner;
        try {
            owner = m_core.ColumnOwner(c);
        } catch (const std::exception &error) {
            reportFailure("Function UpdateDisplayMatrix", error);
            return;
        }
        showColumn(c, owner);
    }
}

void CrosspointPanel::showColumn(int viewColumn, const PhysicalPort &owner)
{
    try {
        m_grid->ClearColumn(viewColumn);
        if (!owner.router || owner.port < 0)
            return;
        const AppCore::ColumnMarks marks = m_core.Marks(*owner.router, owner.port);
        CrosspointGrid::ColumnTruth truth;
        truth.video = truthMark(marks.video.state);
        truth.audio = truthMark(marks.audio.state);
        truth.pendingVideoRow = marks.pendingVideoRow;
        truth.pendingAudioRow = marks.split ? marks.pendingAudioRow : -1;
        truth.presetVideoRow = marks.presetVideoRow;
        truth.presetAudioRow =
            marks.presetAudioRow != marks.presetVideoRow ? marks.presetAudioRow : -1;
        m_grid->ShowColumn(viewColumn, marks.videoRow, marks.audioRow, marks.split, truth);
    } catch (const std::exception &error) {
        reportFailure("Function UpdateMatrixDisplayCol", error);
    }
}

int CrosspointPanel::truthMark(CrosspointTruth::State state)
{
    switch (state) {
    case CrosspointTruth::State::Pending:
        return VectorPictures::kPending;
    case CrosspointTruth::State::Failed:
        return VectorPictures::kFailed;
    case CrosspointTruth::State::Stale:
        return VectorPictures::kStale;
    case CrosspointTruth::State::Confirmed:
        break;
    }
    return VectorPictures::kConfirmed;
}

void CrosspointPanel::setControlsEnabled(bool enabled)
{
    for (int i = 0; i < kViewSize; ++i) {
        const auto n = static_cast<std::size_t>(i);
        m_imgMIn[n]->setEnabled(enabled);
        m_txtMIn[n]->setEnabled(enabled);
        m_lblMOut[n]->setEnabled(enabled);
        m_imgMOut[n]->setEnabled(enabled);
    }
    m_vScroll->setEnabled(enabled);
    m_hScroll->setEnabled(enabled);
}

void CrosspointPanel::showOutputsFromStart()
{
    m_hScroll->setValue(m_hScroll->minimum());
}

QString CrosspointPanel::levelName() const
{
    switch (m_core.CurrentLayer()) {
    case AppCore::kVideo:
        return QStringLiteral("video");
    case AppCore::kAudio:
        return QStringLiteral("audio");
    default:
        return QStringLiteral("all levels");
    }
}

QString CrosspointPanel::describeCell(int cell) const
{
    const int r = cell / kViewSize;
    const int c = cell % kViewSize;
    const auto name = [this](AppCore::Side side, int index) {
        return m_nameShown ? m_nameShown(side, index) : QString();
    };
    return QStringLiteral("Input %1 %2 \u2192 output %3 %4\n%5%6; click to route %7")
        .arg(m_txtMIn[static_cast<std::size_t>(r)]->text(), name(AppCore::Side::Input, r),
             m_lblMOut[static_cast<std::size_t>(c)]->text(), name(AppCore::Side::Output, c),
             CrosspointGrid::pictureText(m_grid->picture(cell)), truthText(cell), levelName());
}

QString CrosspointPanel::truthText(int cell) const
{
    switch (m_grid->truthMark(cell)) {
    case VectorPictures::kPending:
        return QStringLiteral(" (pending: asked for, not yet confirmed)");
    case VectorPictures::kStale:
        return QStringLiteral(" (stale: its router does not answer; last confirmed)");
    case VectorPictures::kPreset:
        return QStringLiteral(" (preset: sent with Take)");
    case VectorPictures::kFailed:
        break;
    default:
        return {};
    }
    try {
        const PhysicalPort owner = m_core.ColumnOwner(cell % kViewSize);
        if (!owner.router)
            return {};
        const AppCore::ColumnMarks marks = m_core.Marks(*owner.router, owner.port);
        const bool audio = marks.split && cell / kViewSize == marks.audioRow;
        const CrosspointTruth::Cell &truth = audio ? marks.audio : marks.video;
        return QStringLiteral(" (failed at %1: %2)")
            .arg(truth.failedAt.toString(QStringLiteral("HH:mm:ss")), truth.reason);
    } catch (const std::exception &) {
        return QStringLiteral(" (failed)");
    }
}

} // namespace corvantis
