#include "ui/frmMainMatrix.h"

#include "config/RouterCatalog.h"
#include "core/AppCore.h"
#include "ui/CrosspointGrid.h"
#include "ui/MacroBank.h"
#include "ui/MainWindowHelp.h"
#include "ui/MaintenanceDialogs.h"
#include "ui/NumberLabel.h"
#include "ui/PictureButton.h"
#include "ui/ShapeLamp.h"
#include "ui/Theme.h"
#include "ui/frmConfig.h"
#include "util/Platform.h"
#include "util/RuntimeError.h"
#include "util/Version.h"
#include "util/clsDebug.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QScrollBar>
#include <QThread>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>
#include <exception>

namespace corvantis {

namespace {

constexpr int kNameBoxWidth = 150;
constexpr int kNumberWidth = 34;
constexpr int kMacroScrollMaximum = 43;
constexpr int kMacroLargeChange = 3;
constexpr int kCloseRetryMs = 100;
constexpr int kStartupRetryMs = 50;

const char *const kLevelTips[] = {
    "Set to route video level (Control-V)",
    "Set to route audio level (Control-A)",
    "Set to route all levels (Control-B)",
};

QString numbered(const char *name, int index)
{
    return QStringLiteral("%1_%2").arg(QLatin1String(name)).arg(index);
}

QString qs(const std::string &text)
{
    return QString::fromStdString(text);
}

// The window's error pattern: "Error: " and the description in a message box titled with the
// procedure's label; with a log label the same text goes to the debug log.
void reportFailure(const char *title, const std::exception &error, const char *logLabel = nullptr)
{
    const std::string text = std::string("Error: ") + error.what();
    platform().messageBox(text, title, MessageButtons::Ok, MessageIcon::Information);
    if (logLabel)
        DebugLog().Log(text, {logLabel});
}

// A menu or button handler that fails unexpectedly reports it under its name; the window
// goes on.
template <typename Action> void guarded(const char *title, Action &&action)
{
    try {
        action();
    } catch (const std::exception &error) {
        reportFailure(title, error);
    }
}

void setTextColour(QWidget *widget, const QColor &colour)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Active, QPalette::WindowText, colour);
    palette.setColor(QPalette::Inactive, QPalette::WindowText, colour);
    widget->setPalette(palette);
}

QLabel *makeLabel(const QString &text, const QString &name, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    if (!name.isEmpty())
        label->setObjectName(name);
    return label;
}

class IndentScope {
public:
    explicit IndentScope(const char *name) { DebugLog().IndentIncr(name); }
    ~IndentScope() { DebugLog().IndentDec(); }
    IndentScope(const IndentScope &) = delete;
    IndentScope &operator=(const IndentScope &) = delete;
};

} // namespace

frmMainMatrix::frmMainMatrix(AppCore &core, QWidget *parent) : QMainWindow(parent), m_core(core)
{
    setObjectName(QStringLiteral("frmMainMatrix"));
    setWindowTitle(QStringLiteral("Corvantis Pro"));

    auto *central = new QWidget(this);
    central->setObjectName(QStringLiteral("centralWidget"));
    auto *layout = new QVBoxLayout(central);
    layout->setContentsMargins(14, 10, 14, 0);
    layout->setSpacing(0);
    layout->addWidget(buildTopBar());
    layout->addSpacing(6);
    layout->addWidget(buildMatrixArea());
    layout->addSpacing(6);
    layout->addWidget(buildBottomBar());
    layout->addSpacing(10);
    layout->addWidget(buildSwitchingPanel());
    setCentralWidget(central);
    buildPictureSources();
    buildMenus();
    ApplyColours();
    connectCore();
    m_macroBank = new MacroBank(m_core, *this);
    m_help = new MainWindowHelp(*this, [this] { return m_macroBank->helpTopic(); });

    // Keyboard order: the grid first, then the names, then the buttons below.
    setTabOrder(m_grid, m_txtIn[0]);
    for (int i = 1; i < kViewSize; ++i)
        setTabOrder(m_txtIn[i - 1], m_txtIn[i]);
    setTabOrder(m_txtIn[kViewSize - 1], m_txtOut[0]);
    for (int i = 1; i < kViewSize; ++i)
        setTabOrder(m_txtOut[i - 1], m_txtOut[i]);
    setTabOrder(m_txtOut[kViewSize - 1], m_btnMacro[0]);

    m_fraRs232->hide();
    centralWidget()->layout()->activate();
    m_baseHeight = sizeHint().height();
    setFixedSize(sizeHint().width(), m_baseHeight);

    qApp->installEventFilter(this);
    // The poll timer runs as long as the window exists.
    m_core.poller().start();
}

frmMainMatrix::~frmMainMatrix()
{
    m_core.poller().stop();
    qApp->removeEventFilter(this);
}

QWidget *frmMainMatrix::buildTopBar()
{
    auto *bar = new QWidget(this);
    auto *row = new QHBoxLayout(bar);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(8);

    // The caption with its shadow one pixel down and right behind it.
    auto *title = new QWidget(bar);
    title->setFixedSize(300, 32);
    m_lblRouterTypeShadow =
        makeLabel(QStringLiteral("Router Type"), QStringLiteral("lblRouterTypeShadow"), title);
    m_lblRouterType =
        makeLabel(QStringLiteral("Router Type"), QStringLiteral("lblRouterType"), title);
    for (QLabel *label : {m_lblRouterTypeShadow, m_lblRouterType}) {
        QFont font = label->font();
        font.setPixelSize(20);
        font.setBold(true);
        label->setFont(font);
        label->resize(title->size());
        label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    }
    m_lblRouterTypeShadow->move(2, 2);
    m_lblRouterType->move(0, 0);
    m_lblRouterType->setToolTip(QStringLiteral("Router family and size of the matrix"));
    row->addWidget(title);
    row->addStretch(1);

    m_lblLevel = makeLabel(QStringLiteral("Level"), QStringLiteral("lblLevel"), bar);
    row->addWidget(m_lblLevel);
    for (int i = 0; i < kLevels; ++i) {
        auto *selector = new PictureButton(PictureButton::Kind::Level, i, bar);
        selector->setObjectName(numbered("imgLayerSel", i));
        selector->setToolTip(QString::fromLatin1(kLevelTips[i]));
        selector->setFixedSize(selector->sizeHint());
        selector->setDown(i + 1 == m_core.CurrentLayer());
        connect(selector, &PictureButton::clicked, this, [this, i] { imgLayerSel_Click(i); });
        m_imgLayerSel[static_cast<std::size_t>(i)] = selector;
        row->addWidget(selector);
    }
    m_imgLayerSel[0]->setAccessibleName(QStringLiteral("Video level"));
    m_imgLayerSel[1]->setAccessibleName(QStringLiteral("Audio level"));
    m_imgLayerSel[2]->setAccessibleName(QStringLiteral("All levels"));
    row->addStretch(1);

    m_imgAlive = new PictureButton(PictureButton::Kind::Alive, 0, bar);
    m_imgAlive->setObjectName(QStringLiteral("imgAlive"));
    m_imgAlive->setFixedSize(m_imgAlive->sizeHint());
    m_imgAlive->setToolTip(
        QStringLiteral("The router is asked every 2 seconds whether it answers"));
    m_shpAlive = new ShapeLamp(bar);
    m_shpAlive->setObjectName(QStringLiteral("shpAlive"));
    m_shpAlive->setFixedSize(m_shpAlive->sizeHint());
    m_txtStatus = makeLabel({}, QStringLiteral("txtStatus"), bar);
    m_txtStatus->setMinimumWidth(110);
    m_imgAlive->hide();
    m_shpAlive->hide();
    m_txtStatus->hide();
    row->addWidget(m_imgAlive);
    row->addWidget(m_shpAlive);
    row->addWidget(m_txtStatus);
    return bar;
}

QWidget *frmMainMatrix::buildMatrixArea()
{
    auto *area = new QWidget(this);
    auto *grid = new QGridLayout(area);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setHorizontalSpacing(0);
    grid->setVerticalSpacing(0);

    enum Column {
        kInNames = 0,
        kGap1,
        kInSelector,
        kInNumber,
        kGap2,
        kGrid,
        kVScroll,
        kGap3,
        kOutNumber,
        kOutMarker,
        kOutNames,
        kGap4,
        kMacros,
    };
    constexpr int kFirstRow = 2;
    const int s = kCellSize;

    auto *inTitle = makeLabel(QStringLiteral("Input Names"), QStringLiteral("lblInputNames"), area);
    auto *outTitle =
        makeLabel(QStringLiteral("Output Names"), QStringLiteral("lblOutputNames"), area);
    for (QLabel *titleLabel : {inTitle, outTitle}) {
        QFont font = titleLabel->font();
        font.setBold(true);
        titleLabel->setFont(font);
        titleLabel->setAlignment(Qt::AlignLeft | Qt::AlignBottom);
        titleLabel->setContentsMargins(2, 0, 0, 4);
    }
    grid->addWidget(inTitle, 0, kInNames, 2, 1);
    grid->addWidget(outTitle, 0, kOutNumber, 2, 3);

    // Output numbers and selectors above the columns.
    auto *numbers = new QWidget(area);
    auto *numberRow = new QHBoxLayout(numbers);
    numberRow->setContentsMargins(0, 0, 1, 0);
    numberRow->setSpacing(0);
    auto *selectors = new QWidget(area);
    auto *selectorRow = new QHBoxLayout(selectors);
    selectorRow->setContentsMargins(0, 0, 1, 2);
    selectorRow->setSpacing(0);
    QFont numberFont = font();
    numberFont.setPixelSize(11);
    for (int c = 0; c < kViewSize; ++c) {
        auto *label = makeLabel(QString::number(c + 1), numbered("lblMOut", c), numbers);
        label->setFont(numberFont);
        label->setAlignment(Qt::AlignHCenter | Qt::AlignBottom);
        label->setFixedSize(s, 16);
        m_lblMOut[static_cast<std::size_t>(c)] = label;
        numberRow->addWidget(label);

        auto *selector = new PictureButton(PictureButton::Kind::OutputSelector, c, selectors);
        selector->setObjectName(numbered("imgMOut", c));
        selector->setFixedSize(s, 22);
        m_imgMOut[static_cast<std::size_t>(c)] = selector;
        selectorRow->addWidget(selector);
    }
    grid->addWidget(numbers, 0, kGrid);
    grid->addWidget(selectors, 1, kGrid);

    m_grid = new CrosspointGrid(s, area);
    m_grid->setObjectName(QStringLiteral("imgMatrix"));
    m_grid->setAccessibleName(QStringLiteral("Crosspoints"));
    m_grid->setDescriber([this](int cell) { return describeCell(cell); });
    connect(m_grid, &CrosspointGrid::cellClicked, this, &frmMainMatrix::imgMatrix_Click);
    grid->addWidget(m_grid, kFirstRow, kGrid, kViewSize, 1, Qt::AlignTop | Qt::AlignLeft);

    m_vScroll = new QScrollBar(Qt::Vertical, area);
    m_vScroll->setObjectName(QStringLiteral("VScroll"));
    m_vScroll->setRange(0, 0);
    m_vScroll->setFixedHeight(kViewSize * s + 1);
    m_vScroll->setToolTip(QStringLiteral("Scroll the inputs"));
    m_vScroll->hide();
    grid->addWidget(m_vScroll, kFirstRow, kVScroll, kViewSize, 1, Qt::AlignTop);
    m_hScroll = new QScrollBar(Qt::Horizontal, area);
    m_hScroll->setObjectName(QStringLiteral("HScroll"));
    m_hScroll->setRange(0, 0);
    m_hScroll->setFixedWidth(kViewSize * s + 1);
    m_hScroll->setToolTip(QStringLiteral("Scroll the outputs"));
    m_hScroll->hide();
    grid->addWidget(m_hScroll, kFirstRow + kViewSize, kGrid);
    grid->setRowMinimumHeight(kFirstRow + kViewSize, m_hScroll->sizeHint().height() + 2);
    connect(m_vScroll, &QScrollBar::valueChanged, this, &frmMainMatrix::VScroll_Change);
    connect(m_hScroll, &QScrollBar::valueChanged, this, &frmMainMatrix::HScroll_Change);

    for (int r = 0; r < kViewSize; ++r) {
        const auto i = static_cast<std::size_t>(r);
        const int gridRow = kFirstRow + r;
        grid->setRowMinimumHeight(gridRow, s);

        auto *name = new QLineEdit(area);
        name->setObjectName(numbered("txtIn", r));
        name->setFixedSize(kNameBoxWidth, s - 3);
        name->setToolTip(QStringLiteral("Name of this input; type to rename it"));
        m_txtIn[i] = name;
        grid->addWidget(name, gridRow, kInNames, Qt::AlignVCenter);

        auto *selector = new PictureButton(PictureButton::Kind::InputSelector, r, area);
        selector->setObjectName(numbered("imgMIn", r));
        selector->setFixedSize(22, s);
        selector->setToolTip(QStringLiteral("Control-click: route this input to every output"));
        connect(selector, &PictureButton::clicked, this, [this, r] { imgMIn_Click(r); });
        m_imgMIn[i] = selector;
        grid->addWidget(selector, gridRow, kInSelector);

        auto *number = new NumberLabel(area);
        number->setObjectName(numbered("txtMIn", r));
        number->setText(QString::number(r + 1));
        number->setFont(numberFont);
        number->setFixedSize(kNumberWidth, s);
        number->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        number->setContentsMargins(0, 0, 5, 0);
        number->setToolTip(selector->toolTip());
        connect(number, &NumberLabel::clicked, this, [this, r] { imgMIn_Click(r); });
        m_txtMIn[i] = number;
        grid->addWidget(number, gridRow, kInNumber);

        auto *outNumber = makeLabel(QString::number(r + 1), numbered("txtSOut", r), area);
        outNumber->setFont(numberFont);
        outNumber->setFixedSize(30, s);
        outNumber->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        m_txtSOut[i] = outNumber;
        grid->addWidget(outNumber, gridRow, kOutNumber);

        auto *marker = new PictureButton(PictureButton::Kind::NameMarker, r, area);
        marker->setObjectName(numbered("imgSOut", r));
        marker->setFixedSize(16, s);
        m_imgSOut[i] = marker;
        grid->addWidget(marker, gridRow, kOutMarker);

        auto *outName = new QLineEdit(area);
        outName->setObjectName(numbered("txtOut", r));
        outName->setFixedSize(kNameBoxWidth, s - 3);
        outName->setToolTip(QStringLiteral("Name of this output; type to rename it"));
        m_txtOut[i] = outName;
        grid->addWidget(outName, gridRow, kOutNames, Qt::AlignVCenter);
    }
    grid->setColumnMinimumWidth(kInNames, kNameBoxWidth);
    grid->setColumnMinimumWidth(kGap1, 6);
    grid->setColumnMinimumWidth(kInSelector, 22);
    grid->setColumnMinimumWidth(kInNumber, kNumberWidth);
    grid->setColumnMinimumWidth(kGap2, 2);
    grid->setColumnMinimumWidth(kGrid, kViewSize * s + 1);
    grid->setColumnMinimumWidth(kVScroll, m_vScroll->sizeHint().width());
    grid->setColumnMinimumWidth(kGap3, 16);
    grid->setColumnMinimumWidth(kOutNumber, 30);
    grid->setColumnMinimumWidth(kOutMarker, 16);
    grid->setColumnMinimumWidth(kOutNames, kNameBoxWidth);
    grid->setColumnMinimumWidth(kGap4, 22);
    grid->addWidget(buildMacroArea(), 0, kMacros, kFirstRow + kViewSize, 1, Qt::AlignTop);
    return area;
}

QWidget *frmMainMatrix::buildMacroArea()
{
    auto *area = new QWidget(this);
    area->setObjectName(QStringLiteral("fraMacros"));
    auto *column = new QVBoxLayout(area);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(6);

    auto *heading = new QHBoxLayout();
    m_lblMacros = makeLabel(QStringLiteral("Macros"), QStringLiteral("lblMacros"), area);
    QFont font = m_lblMacros->font();
    font.setBold(true);
    m_lblMacros->setFont(font);
    m_lblMacros->setMinimumHeight(38);
    m_lblMacros->setAlignment(Qt::AlignLeft | Qt::AlignBottom);
    heading->addWidget(m_lblMacros);
    heading->addStretch(1);
    m_lblRecord = makeLabel(QStringLiteral("\u25CF Recording"), QStringLiteral("lblRecord"), area);
    m_lblRecord->setAlignment(Qt::AlignRight | Qt::AlignBottom);
    m_lblRecord->setMinimumHeight(38);
    m_lblRecord->hide();
    heading->addWidget(m_lblRecord);
    column->addLayout(heading);

    auto *bank = new QHBoxLayout();
    bank->setSpacing(4);
    auto *buttons = new QVBoxLayout();
    buttons->setSpacing(6);
    for (int i = 0; i < kMacroButtons; ++i) {
        auto *button = new QPushButton(area);
        button->setObjectName(numbered("btnMacro", i));
        button->setFixedSize(150, 44);
        button->setText(qs(m_core.config().macros.MacroName(i)));
        m_btnMacro[static_cast<std::size_t>(i)] = button;
        buttons->addWidget(button);
    }
    bank->addLayout(buttons);
    m_vScrollMacro = new QScrollBar(Qt::Vertical, area);
    m_vScrollMacro->setObjectName(QStringLiteral("VScrollMacro"));
    m_vScrollMacro->setRange(0, kMacroScrollMaximum);
    m_vScrollMacro->setPageStep(kMacroLargeChange);
    m_vScrollMacro->setSingleStep(1);
    bank->addWidget(m_vScrollMacro);
    column->addLayout(bank);

    m_btnRecord = new QPushButton(QStringLiteral("Record"), area);
    m_btnRecord->setObjectName(QStringLiteral("btnRecord"));
    m_btnRecord->setFixedHeight(32);
    column->addSpacing(6);
    column->addWidget(m_btnRecord);
    column->addStretch(1);
    return area;
}

QWidget *frmMainMatrix::buildBottomBar()
{
    auto *bar = new QWidget(this);
    auto *row = new QHBoxLayout(bar);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(12);
    m_cmdUpdate = new QPushButton(QStringLiteral("Update Matrix"), bar);
    m_cmdUpdate->setObjectName(QStringLiteral("cmdUpdate"));
    m_cmdUpdate->setToolTip(QStringLiteral("Ask the routers for every crosspoint now"));
    m_cmdUpdate->setMinimumWidth(130);
    connect(m_cmdUpdate, &QPushButton::clicked, this, &frmMainMatrix::cmdUpdate_Click);
    row->addWidget(m_cmdUpdate);
    m_txtErrMsg = makeLabel({}, QStringLiteral("txtErrMsg"), bar);
    m_txtErrMsg->setMinimumHeight(m_cmdUpdate->sizeHint().height());
    QFont font = m_txtErrMsg->font();
    font.setBold(true);
    m_txtErrMsg->setFont(font);
    row->addWidget(m_txtErrMsg, 1);
    return bar;
}

QFrame *frmMainMatrix::buildSwitchingPanel()
{
    m_fraRs232 = new QFrame(this);
    m_fraRs232->setObjectName(QStringLiteral("fraRs232"));
    m_fraRs232->setFixedHeight(kSwitchingPanelHeight);
    auto *outer = new QVBoxLayout(m_fraRs232);
    outer->setContentsMargins(0, 0, 0, 12);
    outer->setSpacing(0);

    auto *box = new QFrame(m_fraRs232);
    box->setObjectName(QStringLiteral("linRs232"));
    box->setFrameShape(QFrame::StyledPanel);
    box->setFrameShadow(QFrame::Plain);
    outer->addWidget(box);
    auto *row = new QHBoxLayout(box);
    row->setContentsMargins(12, 6, 12, 6);
    row->setSpacing(8);

    auto *caption = makeLabel(QStringLiteral("RS-232 Switching"), QStringLiteral("lblRs232"), box);
    QFont font = caption->font();
    font.setBold(true);
    caption->setFont(font);
    row->addWidget(caption);
    row->addSpacing(16);

    row->addWidget(makeLabel(QStringLiteral("Frame Address"), QStringLiteral("lblRsAddress"), box));
    m_txtAddy = new QLineEdit(QStringLiteral("0"), box);
    m_txtAddy->setObjectName(QStringLiteral("txtAddy"));
    m_txtAddy->setFixedWidth(40);
    m_txtAddy->setAlignment(Qt::AlignRight);
    m_txtAddy->setToolTip(QStringLiteral("Frame address of the router, 0 to 15"));
    auto *updown = new QWidget(box);
    updown->setObjectName(QStringLiteral("updAddy"));
    auto *arrows = new QVBoxLayout(updown);
    arrows->setContentsMargins(0, 0, 0, 0);
    arrows->setSpacing(0);
    m_updAddyUp = new QToolButton(updown);
    m_updAddyUp->setObjectName(QStringLiteral("updAddy_up"));
    m_updAddyUp->setArrowType(Qt::UpArrow);
    m_updAddyDown = new QToolButton(updown);
    m_updAddyDown->setObjectName(QStringLiteral("updAddy_down"));
    m_updAddyDown->setArrowType(Qt::DownArrow);
    for (QToolButton *arrow : {m_updAddyUp, m_updAddyDown}) {
        arrow->setFixedSize(18, 13);
        arrow->setAutoRepeat(true);
        arrows->addWidget(arrow);
    }
    connect(m_updAddyUp, &QToolButton::clicked, this, [this] { stepAddress(1); });
    connect(m_updAddyDown, &QToolButton::clicked, this, [this] { stepAddress(-1); });
    // The arrows sit against the box they step.
    auto *address = new QHBoxLayout();
    address->setSpacing(1);
    address->addWidget(m_txtAddy);
    address->addWidget(updown);
    row->addLayout(address);
    row->addSpacing(12);

    row->addWidget(makeLabel(QStringLiteral("Input"), QStringLiteral("lblRsIn"), box));
    m_cboRsIn = new QComboBox(box);
    m_cboRsIn->setObjectName(QStringLiteral("cboRsIn"));
    m_cboRsIn->setMinimumWidth(64);
    row->addWidget(m_cboRsIn);
    row->addWidget(makeLabel(QStringLiteral("Output"), QStringLiteral("lblRsOut"), box));
    m_cboRsOut = new QComboBox(box);
    m_cboRsOut->setObjectName(QStringLiteral("cboRsOut"));
    m_cboRsOut->setMinimumWidth(64);
    row->addWidget(m_cboRsOut);
    row->addStretch(1);

    m_btnRsGo = new QPushButton(QStringLiteral("Connect"), box);
    m_btnRsGo->setObjectName(QStringLiteral("btnRsGo"));
    m_btnRsGo->setToolTip(QStringLiteral("Connect the RS-232 input to the output"));
    m_btnRsNo = new QPushButton(QStringLiteral("Disconnect"), box);
    m_btnRsNo->setObjectName(QStringLiteral("btnRsNo"));
    m_btnRsNo->setToolTip(QStringLiteral("Disconnect the RS-232 input from the output"));
    connect(m_btnRsGo, &QPushButton::clicked, this, &frmMainMatrix::btnRsGo_Click);
    connect(m_btnRsNo, &QPushButton::clicked, this, &frmMainMatrix::btnRsNo_Click);
    row->addWidget(m_btnRsGo);
    row->addWidget(m_btnRsNo);
    return m_fraRs232;
}

void frmMainMatrix::buildPictureSources()
{
    // The picture sets the visible controls take their pictures from, kept as hidden
    // controls under their names.
    auto hidden = [this](PictureButton::Kind kind, int index, const QString &name) {
        auto *picture = new PictureButton(kind, index, this);
        picture->setObjectName(name);
        picture->hide();
        return picture;
    };
    for (int i = 0; i < 4; ++i)
        m_imgCPSource[static_cast<std::size_t>(i)] =
            hidden(PictureButton::Kind::CellPicture, i, numbered("imgCPSource", i));
    for (int i = 0; i < kLevels; ++i) {
        const auto n = static_cast<std::size_t>(i);
        m_imgLayerUpSource[n] =
            hidden(PictureButton::Kind::Level, i, numbered("imgLayerUpSource", i));
        m_imgLayerDownSource[n] =
            hidden(PictureButton::Kind::Level, i, numbered("imgLayerDownSource", i));
        m_imgLayerDownSource[n]->setDown(true);
    }
    m_imgGreyInput = hidden(PictureButton::Kind::InputSelector, 0, QStringLiteral("imgGreyInput"));
    m_imgMButtonUp = hidden(PictureButton::Kind::OutputSelector, 0, QStringLiteral("imgMButtonUp"));
}

void frmMainMatrix::buildMenus()
{
    auto action = [this](QMenu *menu, const QString &text, const char *name,
                         const QKeySequence &shortcut = {}) {
        auto *entry = menu->addAction(text);
        entry->setObjectName(QString::fromLatin1(name));
        if (!shortcut.isEmpty())
            entry->setShortcut(shortcut);
        return entry;
    };
    QMenu *file = menuBar()->addMenu(QStringLiteral("&File"));
    file->setObjectName(QStringLiteral("mnuFileMenu"));
    m_mnuLoadConfig = action(file, QStringLiteral("&Load Configuration..."), "mnuLoadConfig",
                             QKeySequence(Qt::CTRL | Qt::Key_L));
    m_mnuSaveConfig = action(file, QStringLiteral("&Save Configuration"), "mnuSaveConfig",
                             QKeySequence(Qt::CTRL | Qt::Key_S));
    m_mnuSaveConfigAs =
        action(file, QStringLiteral("Save Configuration &As..."), "mnuSaveConfigAs");
    m_mnuSetup = action(file, QStringLiteral("Configure &Router..."), "mnuSetup",
                        QKeySequence(Qt::CTRL | Qt::Key_O));
    file->addSeparator();
    m_mnuExit = action(file, QStringLiteral("&Exit"), "mnuExit");

    QMenu *data = menuBar()->addMenu(QStringLiteral("&Data"));
    data->setObjectName(QStringLiteral("mnuDataMenu"));
    m_mnuRS = action(data, QStringLiteral("Set &RS-232 Mode"), "mnuRS");
    m_mnuIR = action(data, QStringLiteral("Set &IR Mode"), "mnuIR");
    m_mnuFlashD = action(data, QStringLiteral("&Flash Data"), "mnuFlashD");
    m_mnuRS->setCheckable(true);
    m_mnuIR->setCheckable(true);

    QMenu *help = menuBar()->addMenu(QStringLiteral("&Help"));
    help->setObjectName(QStringLiteral("mnuHelpMenu"));
    m_mnuHelp = action(help, QStringLiteral("&Corvantis Help"), "mnuHelp");
    m_mnuFirmwareVersion = action(help, QStringLiteral("&Firmware Version"), "mnuFirmwareVersion");
    m_mnuAbout = action(help, QStringLiteral("&About"), "mnuAbout");

    connect(m_mnuLoadConfig, &QAction::triggered, this, &frmMainMatrix::mnuLoadConfig_Click);
    connect(m_mnuSaveConfig, &QAction::triggered, this, &frmMainMatrix::mnuSaveConfig_Click);
    connect(m_mnuSaveConfigAs, &QAction::triggered, this, &frmMainMatrix::mnuSaveConfigAs_Click);
    connect(m_mnuSetup, &QAction::triggered, this, &frmMainMatrix::mnuSetup_Click);
    connect(m_mnuExit, &QAction::triggered, this, &QWidget::close);
    connect(m_mnuRS, &QAction::triggered, this, &frmMainMatrix::mnuRS_Click);
    connect(m_mnuIR, &QAction::triggered, this, &frmMainMatrix::mnuIR_Click);
    connect(m_mnuFlashD, &QAction::triggered, this, &frmMainMatrix::mnuFlashD_Click);
    connect(m_mnuFirmwareVersion, &QAction::triggered, this,
            &frmMainMatrix::mnuFirmwareVersion_Click);
}

void frmMainMatrix::connectCore()
{
    SerialLink &link = m_core.link();
    StatusPoller &poller = m_core.poller();
    connect(&link, &SerialLink::errorMessageChanged, m_txtErrMsg, &QLabel::setText);
    connect(&poller, &StatusPoller::recordLabelBlink, this,
            [this] { m_lblRecord->setVisible(!m_lblRecord->isVisible()); });
    connect(&poller, &StatusPoller::aliveIndicatorVisible, this, [this](bool visible) {
        m_imgAlive->setVisible(visible);
        m_shpAlive->setVisible(visible);
        // The state text is kept only for the model that is polled.
        m_txtStatus->setVisible(visible);
    });
    connect(&poller, &StatusPoller::matrixOnlineChanged, this, [this](bool online) {
        m_txtStatus->setText(StatusPoller::MatrixStateText(online));
        m_shpAlive->setColourValue(online ? ShapeLamp::kGreen : ShapeLamp::kRed);
        m_shpAlive->setToolTip(m_txtStatus->text());
    });
    connect(&poller, &StatusPoller::remoteCellClick, this, [this](int cell) {
        guarded("Function imgMatrix_Click", [this, cell] { m_core.RouteCell(cell, true); });
    });
    connect(&m_core.engine(), &RoutingEngine::statusApplied, this,
            &frmMainMatrix::UpdateDisplayMatrix);
    connect(&m_core, &AppCore::routeStatesChanged, this, &frmMainMatrix::UpdateDisplayMatrix);
    connect(&m_core, &AppCore::namesChanged, this, [this] { UpdateDisplayNames(true, true); });
    connect(&m_core, &AppCore::configurationReplaced, this, &frmMainMatrix::ReturnFromConfig);
    connect(&m_core, &AppCore::bulkRoutingChanged, this,
            [this](bool bulk) { EnableButtons(!bulk); });
    connect(&m_core.maintenance(), &MaintenanceCommands::modeChecksChanged, this,
            [this](bool, bool) { syncModeChecks(); });
}

void frmMainMatrix::ApplyColours()
{
    setPalette(Theme::palette());
    setAutoFillBackground(true);
    setTextColour(m_lblRouterType, Theme::kBright);
    setTextColour(m_lblRouterTypeShadow, QColor(0x18, 0x18, 0x18));
    setTextColour(m_txtErrMsg, Theme::kError);
    setTextColour(m_lblRecord, QColor(0xF0, 0x50, 0x50));
    for (QLabel *number : m_lblMOut)
        setTextColour(number, Theme::kText);
}

// ---- start, rebuild and end ----

void frmMainMatrix::Form_Load()
{
    start([this] {
        const MessageAnswer answer =
            platform().messageBox("Do you want to load an existing configuration?", kProgramTitle,
                                  MessageButtons::YesNo, MessageIcon::None);
        if (answer == MessageAnswer::Yes) {
            mnuLoadConfig_Click();
            m_core.setConfigFromFile(true);
        } else {
            mnuSetup_Click();
            m_core.setConfigFromFile(false);
        }
    });
}

void frmMainMatrix::LoadAtStart(const std::string &path)
{
    start([this, path] {
        m_core.LoadConfigurationFrom(path);
        m_core.setConfigFromFile(true);
    });
}

void frmMainMatrix::start(const std::function<void()> &chooseConfiguration)
{
    IndentScope trace("Form_Load");
    try {
        m_core.ResetForStartup();
        m_macroBank->SetRecordMode(0);
        m_grid->setAllPictures(0);
        for (int i = 0; i < kLevels; ++i)
            m_imgLayerSel[static_cast<std::size_t>(i)]->setDown(i + 1 == m_core.CurrentLayer());
        chooseConfiguration();
        QTimer::singleShot(0, this, &frmMainMatrix::sendStartupRequest);
    } catch (const std::exception &error) {
        reportFailure("Function Form_Load", error, "Function frmMainMatrix.Form_Load");
    }
}

void frmMainMatrix::sendStartupRequest()
{
    // A click may already be talking to the line; the request waits its turn.
    if (m_core.link().CommBusy()) {
        QTimer::singleShot(kStartupRetryMs, this, &frmMainMatrix::sendStartupRequest);
        return;
    }
    m_core.poller().SendStartupRequest();
}

void frmMainMatrix::ReturnFromConfig()
{
    IndentScope trace("ReturnFromConfig");
    try {
        const AppCore::ViewLayout layout = m_core.Rebuild();
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

        UpdateDisplayNames(true, true);

        for (int k = 0; k < CrosspointGrid::kCells; ++k)
            m_grid->setCellVisible(k, k % kViewSize <= layout.maxOutput &&
                                          k / kViewSize <= layout.maxInput);
        for (int r = 0; r < kViewSize; ++r) {
            const auto i = static_cast<std::size_t>(r);
            const bool shown = r <= layout.maxInput;
            m_txtIn[i]->setVisible(shown);
            m_txtMIn[i]->setVisible(shown);
            m_imgMIn[i]->setVisible(shown);
        }
        for (int c = 0; c < kViewSize; ++c) {
            const auto i = static_cast<std::size_t>(c);
            const bool shown = c <= layout.maxOutput;
            m_txtOut[i]->setVisible(shown);
            m_txtSOut[i]->setVisible(shown);
            m_imgMOut[i]->setVisible(shown);
            m_imgSOut[i]->setVisible(shown);
            m_lblMOut[i]->setVisible(shown);
        }

        const QString label =
            qs(AppCore::RouterLabel(m_core.FamilyLabel(), layout.maxInput, layout.maxOutput));
        m_lblRouterType->setText(label);
        m_lblRouterTypeShadow->setText(label);

        m_vScrollMacro->setPageStep(kMacroLargeChange);
        m_vScrollMacro->setSingleStep(1);
        m_vScrollMacro->setRange(0, kMacroScrollMaximum);
        m_macroBank->UpdateMacroButtons();

        for (PictureButton *selector : m_imgLayerSel)
            selector->setVisible(layout.levelSelectors);
        m_lblLevel->setVisible(layout.levelSelectors);

        m_cboRsIn->clear();
        for (int n = 1; n <= layout.maxInput + 1; ++n)
            m_cboRsIn->addItem(QString::number(n));
        m_cboRsOut->clear();
        for (int n = 1; n <= layout.maxOutput + 1; ++n)
            m_cboRsOut->addItem(QString::number(n));

        m_cmdUpdate->setVisible(layout.updateButton);
        ShowSwitchingPanel(layout.switchingPanel);
        m_core.OpenCommPort();
        // The markers show the route states of the routers now configured, not those of the
        // configuration before.
        UpdateDisplayMatrix();
    } catch (const std::exception &error) {
        reportFailure("Sub ReturnFromConfig", error, "Sub ReturnFromConfig");
    }
}

void frmMainMatrix::closeEvent(QCloseEvent *event)
{
    // A command or a bulk route is waiting for the line further down the stack; the window
    // closes once it has finished and the stack is back at the main loop, and a bulk route
    // stops at its next output. (Closing inside a wait would also lose the application's
    // quit: every wait starts an event loop, and a new loop drops a posted quit.)
    const bool nested = QThread::currentThread()->loopLevel() > 1;
    if (m_core.link().CommBusy() || !m_core.actions().Idle() || nested) {
        m_closeRequested = true;
        m_core.RequestStop();
        event->ignore();
        QTimer::singleShot(kCloseRetryMs, this, &QWidget::close);
        return;
    }
    commitFocusedName();
    try {
        m_core.SaveOnExit();
    } catch (const std::exception &error) {
        reportFailure("Function Form_Unload", error, "Function frmMainMatrix.Form_Unload");
    }
    m_core.poller().stop();
    event->accept();
}

void frmMainMatrix::EnableButtons(bool enabled)
{
    for (QPushButton *button : m_btnMacro)
        button->setEnabled(enabled);
    for (int i = 0; i < kViewSize; ++i) {
        const auto n = static_cast<std::size_t>(i);
        m_imgMIn[n]->setEnabled(enabled);
        m_txtMIn[n]->setEnabled(enabled);
        m_lblMOut[n]->setEnabled(enabled);
        m_imgMOut[n]->setEnabled(enabled);
        m_txtSOut[n]->setEnabled(enabled);
        m_imgSOut[n]->setEnabled(enabled);
    }
    for (QWidget *control : std::initializer_list<QWidget *>{
             m_vScroll, m_hScroll, m_vScrollMacro, m_btnRecord, m_cmdUpdate, m_btnRsGo, m_btnRsNo})
        control->setEnabled(enabled);
}

void frmMainMatrix::ShowSwitchingPanel(bool shown)
{
    m_fraRs232->setVisible(shown);
    setFixedHeight(m_baseHeight + (shown ? kSwitchingPanelHeight : 0));
}

bool frmMainMatrix::SwitchingPanelShown() const
{
    return !m_fraRs232->isHidden();
}

// ---- the grid ----

void frmMainMatrix::UpdateDisplayMatrix()
{
    for (int c = 0; c < kViewSize; ++c) {
        PhysicalPort owner;
        try {
            owner = m_core.ColumnOwner(c);
        } catch (const std::exception &error) {
            reportFailure("Function UpdateDisplayMatrix", error);
            return;
        }
        if (!owner.router || owner.port < 0)
            UpdateMatrixDisplayCol(nullptr, c, 0);
        else
            UpdateMatrixDisplayCol(owner.router, c, owner.port);
    }
}

void frmMainMatrix::UpdateMatrixDisplayCol(clsRouter *router, int viewColumn, int physicalOutput)
{
    try {
        if (viewColumn < 0 || viewColumn >= kViewSize)
            throw RuntimeError(kSubscriptOutOfRange);
        m_grid->ClearColumn(viewColumn);
        if (!router)
            return;
        const AppCore::ColumnMarks marks = m_core.Marks(*router, physicalOutput);
        m_grid->ShowColumn(viewColumn, marks.videoRow, marks.audioRow, marks.split);
    } catch (const std::exception &error) {
        reportFailure("Function UpdateMatrixDisplayCol", error);
    }
}

void frmMainMatrix::VScroll_Change(int value)
{
    commitFocusedName();
    m_core.setInputOffset(value);
    UpdateDisplayNames(true, false);
    UpdateDisplayMatrix();
}

void frmMainMatrix::HScroll_Change(int value)
{
    commitFocusedName();
    m_core.setOutputOffset(value);
    UpdateDisplayNames(false, true);
    UpdateDisplayMatrix();
}

QString frmMainMatrix::levelName() const
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

QString frmMainMatrix::describeCell(int cell) const
{
    const auto r = static_cast<std::size_t>(cell / kViewSize);
    const auto c = static_cast<std::size_t>(cell % kViewSize);
    return QStringLiteral("Input %1 %2 \u2192 output %3 %4\n%5; click to route %6")
        .arg(m_txtMIn[r]->text(), m_txtIn[r]->text(), m_lblMOut[c]->text(), m_txtOut[c]->text(),
             CrosspointGrid::pictureText(m_grid->picture(cell)), levelName());
}

// ---- routing ----

void frmMainMatrix::imgMatrix_Click(int cell)
{
    guarded("Function imgMatrix_Click", [this, cell] { m_core.RouteCell(cell); });
}

void frmMainMatrix::imgMIn_Click(int viewRow)
{
    if (!platform().controlKeyDown())
        return;
    guarded("Function imgMIn_Click", [this, viewRow] {
        // The outputs are counted from the start, so the view shows them from there.
        m_hScroll->setValue(m_hScroll->minimum());
        m_core.RouteInputToAll(viewRow);
    });
}

void frmMainMatrix::imgLayerSel_Click(int index)
{
    if (index < 0 || index >= kLevels)
        return;
    const int level = index + 1;
    const int old = m_core.CurrentLayer();
    if (!m_core.SetCurrentLayer(level))
        return;
    m_imgLayerSel[static_cast<std::size_t>(old - 1)]->setDown(false);
    m_imgLayerSel[static_cast<std::size_t>(index)]->setDown(true);
}

bool frmMainMatrix::handleLevelKey(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyRelease) {
        m_levelKeyEvent = nullptr;
        return false;
    }
    if (event->type() != QEvent::KeyPress || !watched->isWidgetType())
        return false;
    auto *widget = static_cast<QWidget *>(watched);
    if (widget->window() != this)
        return false;
    // The same press travels up to the parents of a widget that ignores it; it counts once.
    if (event == m_levelKeyEvent && m_levelKeyReceiver && m_levelKeyReceiver != watched &&
        m_levelKeyReceiver->isWidgetType() &&
        widget->isAncestorOf(static_cast<QWidget *>(m_levelKeyReceiver.data())))
        return false;
    m_levelKeyEvent = event;
    m_levelKeyReceiver = watched;
    const auto *key = static_cast<const QKeyEvent *>(event);
    const auto modifiers = key->modifiers();
    if (!(modifiers & Qt::ControlModifier) || (modifiers & Qt::AltModifier))
        return false;
    switch (key->key()) {
    case Qt::Key_A:
        imgLayerSel_Click(1);
        break;
    case Qt::Key_B:
        imgLayerSel_Click(2);
        break;
    case Qt::Key_V:
        imgLayerSel_Click(0);
        break;
    default:
        break;
    }
    // The key also reaches the control that has the focus.
    return false;
}

// ---- names ----

void frmMainMatrix::UpdateDisplayNames(bool inputs, bool outputs)
{
    try {
        if (inputs) {
            for (int r = 0; r < kViewSize; ++r) {
                const auto i = static_cast<std::size_t>(r);
                const QString name = qs(m_core.InputNameText(r));
                m_txtMIn[i]->setText(QString::number(m_core.InputOffset() + r + 1));
                m_txtIn[i]->setText(name);
            }
        }
        if (outputs) {
            for (int c = 0; c < kViewSize; ++c) {
                const auto i = static_cast<std::size_t>(c);
                const QString name = qs(m_core.OutputNameText(c));
                const QString number = QString::number(m_core.OutputOffset() + c + 1);
                m_lblMOut[i]->setText(number);
                m_txtSOut[i]->setText(number);
                m_txtOut[i]->setText(name);
            }
        }
    } catch (const std::exception &error) {
        reportFailure("Function UpdateDisplayNames", error);
    }
}

void frmMainMatrix::txtIn_LostFocus(int viewRow)
{
    if (viewRow < 0 || viewRow >= kViewSize)
        return;
    QLineEdit *box = m_txtIn[static_cast<std::size_t>(viewRow)];
    box->setModified(false);
    guarded("Function txtIn_LostFocus",
            [&] { m_core.CommitInputName(viewRow, box->text().toStdString()); });
}

void frmMainMatrix::txtOut_LostFocus(int viewColumn)
{
    if (viewColumn < 0 || viewColumn >= kViewSize)
        return;
    QLineEdit *box = m_txtOut[static_cast<std::size_t>(viewColumn)];
    box->setModified(false);
    guarded("Function txtOut_LostFocus",
            [&] { m_core.CommitOutputName(viewColumn, box->text().toStdString()); });
}

void frmMainMatrix::commitFocusedName()
{
    if (m_committingName)
        return;
    m_committingName = true;
    QWidget *focused = QApplication::focusWidget();
    for (int i = 0; i < kViewSize; ++i) {
        const auto n = static_cast<std::size_t>(i);
        if (focused == m_txtIn[n] && m_txtIn[n]->isModified())
            txtIn_LostFocus(i);
        else if (focused == m_txtOut[n] && m_txtOut[n]->isModified())
            txtOut_LostFocus(i);
    }
    m_committingName = false;
}

bool frmMainMatrix::eventFilter(QObject *watched, QEvent *event)
{
    const QEvent::Type type = event->type();
    if (type == QEvent::KeyPress || type == QEvent::KeyRelease)
        return handleLevelKey(watched, event);
    if (type != QEvent::FocusIn && type != QEvent::FocusOut)
        return QMainWindow::eventFilter(watched, event);
    for (int i = 0; i < kViewSize; ++i) {
        const auto n = static_cast<std::size_t>(i);
        QLineEdit *box = watched == m_txtIn[n]    ? m_txtIn[n]
                         : watched == m_txtOut[n] ? m_txtOut[n]
                                                  : nullptr;
        if (!box)
            continue;
        if (type == QEvent::FocusIn) {
            // After the mouse press has placed the cursor, so the selection stays.
            QTimer::singleShot(0, box, [box] { box->selectAll(); });
        } else if (box->isModified() && !m_committingName) {
            // Only what the operator typed is stored: a box still showing an earlier name
            // must not write it into a rebuilt configuration.
            m_committingName = true;
            if (box == m_txtIn[n])
                txtIn_LostFocus(i);
            else
                txtOut_LostFocus(i);
            m_committingName = false;
        }
        break;
    }
    return QMainWindow::eventFilter(watched, event);
}

// ---- menus and buttons ----

void frmMainMatrix::mnuLoadConfig_Click()
{
    commitFocusedName();
    guarded("Sub mnuLoadConfig_Click", [this] { m_core.LoadConfigurationAction(); });
}

void frmMainMatrix::mnuSaveConfig_Click()
{
    commitFocusedName();
    guarded("Sub mnuSaveConfig_Click", [this] { m_core.SaveConfigurationAction(true); });
}

void frmMainMatrix::mnuSaveConfigAs_Click()
{
    commitFocusedName();
    guarded("Sub mnuSaveConfigAs_Click", [this] { m_core.SaveConfigurationAction(false); });
}

void frmMainMatrix::mnuSetup_Click()
{
    commitFocusedName();
    std::optional<SetupDialogModel::Result> accepted;
    {
        frmConfig dialog(m_core.config(), this);
        MaintenanceDialogs::Connect(dialog, m_core);
        connect(&dialog, &frmConfig::helpRequested, m_help, &MainWindowHelp::showTopic);
        dialog.exec();
        accepted = dialog.results();
    }
    if (!accepted) {
        // Cancel changes nothing; the window still shows what it showed.
        ReturnFromConfig();
        return;
    }
    guarded("Sub mnuSetup_Click", [this, &accepted] {
        m_core.ApplySetup(
            [result = std::move(*accepted)](Configuration &config) { result.ApplyTo(config); });
    });
}

void frmMainMatrix::cmdUpdate_Click()
{
    guarded("Sub cmdUpdate_Click", [this] { m_core.UpdateMatrix(); });
}

void frmMainMatrix::syncModeChecks()
{
    m_mnuRS->setChecked(m_core.maintenance().rs232Checked());
    m_mnuIR->setChecked(m_core.maintenance().irChecked());
}

void frmMainMatrix::onLine(const char *title, std::function<void()> action)
{
    // A failure is reported under the menu's or button's name.
    m_core.RunOnLine(QString::fromLatin1(title), std::move(action));
}

void frmMainMatrix::mnuRS_Click()
{
    // The click toggled the mark; it is put back until the routers acknowledge the mode
    // (modeChecksChanged).
    onLine("Sub mnuRS_Click", [this] { m_core.maintenance().SetRs232Mode(); });
    syncModeChecks();
}

void frmMainMatrix::mnuIR_Click()
{
    onLine("Sub mnuIR_Click", [this] { m_core.maintenance().SetIrMode(); });
    syncModeChecks();
}

void frmMainMatrix::mnuFlashD_Click()
{
    onLine("Sub mnuFlashD_Click", [this] { m_core.maintenance().FlashData(); });
}

void frmMainMatrix::mnuFirmwareVersion_Click()
{
    onLine("Sub mnuFirmwareVersion_Click", [this] { m_core.maintenance().FirmwareVersion(); });
}

void frmMainMatrix::btnRsGo_Click()
{
    rsSwitch(true);
}

void frmMainMatrix::btnRsNo_Click()
{
    rsSwitch(false);
}

void frmMainMatrix::rsSwitch(bool connect)
{
    // What the panel shows at the click is what is sent.
    const QString address = m_txtAddy->text();
    const int output = m_cboRsOut->currentIndex();
    const int input = m_cboRsIn->currentIndex();
    onLine(connect ? "Sub btnRsGo_Click" : "Sub btnRsNo_Click",
           [this, connect, address, output, input] {
               m_core.maintenance().RsSwitch(connect, address, output, input);
           });
}

void frmMainMatrix::stepAddress(int step)
{
    const int current = MaintenanceCommands::ParseFrameAddress(m_txtAddy->text()).value_or(0);
    const int next = std::clamp(current + step, 0, MaintenanceCommands::kMaxFrameAddress);
    m_txtAddy->setText(QString::number(next));
}

} // namespace corvantis
