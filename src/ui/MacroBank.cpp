#include "ui/MacroBank.h"

#include "config/ConfigFile.h"
#include "config/TextEditorCommand.h"
#include "core/AppCore.h"
#include "ui/frmMainMatrix.h"
#include "util/Platform.h"

#include <QEvent>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <exception>

namespace corvantis {

namespace {

template <typename T> T *control(QObject &window, const QString &name)
{
    auto *widget = window.findChild<T *>(name);
    if (!widget)
        qFatal("The main window has no control %s", qPrintable(name));
    return widget;
}

} // namespace

MacroBank::MacroBank(AppCore &core, frmMainMatrix &window)
    : QObject(&window), m_core(core), m_window(window),
      m_logic(core.config().macros, core.recording())
{
    for (int i = 0; i < MacroBankLogic::kButtons; ++i) {
        auto *button = control<QPushButton>(window, QStringLiteral("btnMacro_%1").arg(i));
        button->setToolTip(QString::fromLatin1(MacroBankLogic::kButtonToolTip));
        connect(button, &QPushButton::clicked, this, [this, i] { macroClicked(i); });
        m_btnMacro[static_cast<std::size_t>(i)] = button;
    }
    m_vScrollMacro = control<QScrollBar>(window, QStringLiteral("VScrollMacro"));
    m_vScrollMacro->setRange(0, MacroBankLogic::kMaxTop);
    m_vScrollMacro->setPageStep(MacroBankLogic::kLargeChange);
    m_vScrollMacro->setSingleStep(1);
    connect(m_vScrollMacro, &QScrollBar::valueChanged, this, &MacroBank::scrolled);
    m_btnRecord = control<QPushButton>(window, QStringLiteral("btnRecord"));
    m_btnRecord->setToolTip(QString::fromLatin1(MacroBankLogic::kRecordToolTip));
    connect(m_btnRecord, &QPushButton::clicked, this, &MacroBank::recordClicked);
    // The window's timer makes the label blink; the text and whether it shows are set here.
    m_lblRecord = control<QLabel>(window, QStringLiteral("lblRecord"));
    m_lblMacros = control<QLabel>(window, QStringLiteral("lblMacros"));
    m_lblMacros->setToolTip(QStringLiteral("Double-click to edit the configuration file"));
    m_lblMacros->installEventFilter(this);

    m_logic.setMacroTop(m_vScrollMacro->value());
    SetRecordMode(0);
}

void MacroBank::SetRecordMode(int mode)
{
    m_logic.SetRecordMode(mode);
    m_lblRecord->setVisible(m_logic.recordLabelVisible());
    m_shownMode = mode;
    showState();
}

void MacroBank::UpdateMacroButtons()
{
    m_logic.UpdateMacroButtons();
    showState();
}

void MacroBank::PlayMacro(int number)
{
    // The whole macro is one action: its steps go out in order, nothing in between.
    m_core.RunOnLine(QStringLiteral("Macro %1").arg(number),
                     [this, number] { MacroPlayback::PlayMacro(m_core.config().macros, number); });
}

QString MacroBank::configurationFile() const
{
    const std::string &current = m_core.settings().ConfigFilePath;
    return QString::fromStdString(current.empty() ? DefaultConfigPath() : current);
}

bool MacroBank::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_lblMacros && event->type() == QEvent::MouseButtonDblClick) {
        openConfigurationFile();
        return true;
    }
    return QObject::eventFilter(watched, event);
}

void MacroBank::macroClicked(int button)
{
    const auto click = m_logic.MacroButtonClicked(button, m_core.ConfigFromFile());
    showState();
    if (click.outcome != MacroBankLogic::Outcome::Play)
        return;
    // The grid starts at its first output, so the replayed routes are drawn where they land.
    if (auto *outputs = m_window.findChild<QScrollBar *>(QStringLiteral("HScroll")))
        outputs->setValue(outputs->minimum());
    PlayMacro(click.number);
}

void MacroBank::recordClicked()
{
    m_logic.RecordButtonClicked();
    showState();
}

void MacroBank::scrolled(int value)
{
    m_logic.setMacroTop(value);
    showState();
}

void MacroBank::openConfigurationFile()
{
    // Nothing depends on the editor; a failure to start it is ignored.
    try {
        const auto command = TextEditorCommand::For(configurationFile().toStdString(),
                                                    &TextEditorCommand::ProcessEnvironment);
        platform().startProgram(command.program, command.arguments);
    } catch (const std::exception &) {
    }
}

void MacroBank::showState()
{
    for (int i = 0; i < MacroBankLogic::kButtons; ++i)
        m_btnMacro[static_cast<std::size_t>(i)]->setText(
            QString::fromStdString(m_logic.caption(i)));
    m_btnRecord->setText(QString::fromStdString(m_logic.recordButtonCaption()));
    m_lblRecord->setText(QString::fromStdString(m_logic.recordLabelCaption()));
    // A change of mode shows or hides the label; in between the window's timer blinks it.
    if (m_logic.RecordMode() != m_shownMode) {
        m_lblRecord->setVisible(m_logic.recordLabelVisible());
        m_shownMode = m_logic.RecordMode();
    }
}

void MacroBank::EnableButtons(bool enabled)
{
    m_window.EnableButtons(enabled);
}

void MacroBank::setBulkRouting(bool bulk)
{
    m_core.setBulkRouting(bulk);
}

void MacroBank::RouteStep(int frameAddress, int output, int input, int level)
{
    // An empty slot gives no router: the core beeps and shows "Unassigned crosspoint".
    m_core.RouteAt(frameAddress, output, input, level);
}

} // namespace corvantis
