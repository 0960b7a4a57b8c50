#include "ui/MacroBank.h"

#include "config/ConfigFile.h"
#include "config/TextEditorCommand.h"
#include "core/AppCore.h"
#include "ui/MacroBar.h"
#include "util/Platform.h"

#include <QEvent>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <exception>
#include <utility>

namespace corvantis {

MacroBank::MacroBank(AppCore &core, MacroBar &bar, QObject *parent)
    : QObject(parent), m_core(core), m_bar(bar), m_logic(core.config().macros, core.recording())
{
    for (int i = 0; i < MacroBankLogic::kButtons; ++i) {
        QPushButton *button = bar.macroButton(i);
        button->setToolTip(QString::fromLatin1(MacroBankLogic::kButtonToolTip));
        connect(button, &QPushButton::clicked, this, [this, i] { macroClicked(i); });
    }
    connect(bar.scrollBar(), &QScrollBar::valueChanged, this, &MacroBank::scrolled);
    bar.recordButton()->setToolTip(QString::fromLatin1(MacroBankLogic::kRecordToolTip));
    connect(bar.recordButton(), &QPushButton::clicked, this, &MacroBank::recordClicked);
    // The poll timer makes the label blink; the text and whether it shows are set here.
    connect(&core.poller(), &StatusPoller::recordLabelBlink, this, [this] {
        QLabel *label = m_bar.recordLabel();
        label->setVisible(!label->isVisible());
    });
    bar.heading()->setToolTip(QStringLiteral("Double-click to edit the configuration file"));
    bar.heading()->installEventFilter(this);

    m_logic.setMacroTop(bar.scrollBar()->value());
    SetRecordMode(0);
}

void MacroBank::SetRecordMode(int mode)
{
    m_logic.SetRecordMode(mode);
    m_bar.recordLabel()->setVisible(m_logic.recordLabelVisible());
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
    // The whole macro is one action: its steps go out in order, nothing in between. Its
    // report is made when it runs, from the steps it then finds.
    m_core.RunOnLine(
        QStringLiteral("Macro %1").arg(number),
        [this, number] {
            const MacroStore &store = m_core.config().macros;
            const auto &steps = store.Macro(number);
            const std::string &name = store.MacroName(number);
            m_report =
                std::make_shared<RouteReport>(name.empty() ? QStringLiteral("Macro %1").arg(number)
                                                           : QString::fromStdString(name),
                                              steps ? int(steps->size()) : 0);
            return MacroPlayback::PlayMacro(store, number);
        },
        [this](const ActionQueue::Completion &) {
            if (const auto report = std::exchange(m_report, nullptr))
                m_core.FinishReport(*report);
        });
}

QString MacroBank::configurationFile() const
{
    const std::string &current = m_core.settings().ConfigFilePath;
    return QString::fromStdString(current.empty() ? DefaultConfigPath() : current);
}

bool MacroBank::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_bar.heading() && event->type() == QEvent::MouseButtonDblClick) {
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
    emit replayStarting();
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
        m_bar.macroButton(i)->setText(QString::fromStdString(m_logic.caption(i)));
    m_bar.recordButton()->setText(QString::fromStdString(m_logic.recordButtonCaption()));
    m_bar.recordLabel()->setText(QString::fromStdString(m_logic.recordLabelCaption()));
    // A change of mode shows or hides the label; in between the poll timer blinks it.
    if (m_logic.RecordMode() != m_shownMode) {
        m_bar.recordLabel()->setVisible(m_logic.recordLabelVisible());
        m_shownMode = m_logic.RecordMode();
    }
}

void MacroBank::EnableButtons(bool enabled)
{
    emit buttonsEnabled(enabled);
}

void MacroBank::setBulkRouting(bool bulk)
{
    m_core.setBulkRouting(bulk);
}

Task<void> MacroBank::RouteStep(int frameAddress, int output, int input, int level)
{
    // An empty slot gives no router: the core beeps and shows "Unassigned crosspoint".
    co_await m_core.RouteAt(frameAddress, output, input, level, OutputLocks::kThisComputer,
                            m_report.get());
}

} // namespace corvantis
