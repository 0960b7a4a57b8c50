#include "ui/LevelSelector.h"

#include "core/AppCore.h"
#include "ui/Controls.h"
#include "ui/PictureButton.h"

#include <QAction>
#include <QApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>

namespace corvantis {

namespace {

const char *const kTips[] = {
    "Set to route video level (Control-V)",
    "Set to route audio level (Control-A)",
    "Set to route all levels (Control-B)",
};
const char *const kNames[] = {"Video level", "Audio level", "All levels"};
constexpr Qt::Key kKeys[] = {Qt::Key_V, Qt::Key_A, Qt::Key_B};

} // namespace

LevelSelector::LevelSelector(AppCore &core, QWidget *parent) : QWidget(parent), m_core(core)
{
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(8);
    m_lblLevel = Controls::makeLabel(QStringLiteral("Level"), this, QStringLiteral("lblLevel"));
    row->addWidget(m_lblLevel);
    for (int i = 0; i < kLevels; ++i) {
        const auto n = static_cast<std::size_t>(i);
        auto *selector = new PictureButton(PictureButton::Kind::Level, i, this);
        selector->setObjectName(Controls::numbered("imgLayerSel", i));
        selector->setToolTip(QString::fromLatin1(kTips[n]));
        selector->setAccessibleName(QString::fromLatin1(kNames[n]));
        selector->setFixedSize(selector->sizeHint());
        connect(selector, &PictureButton::clicked, this, [this, i] { choose(i); });
        m_imgLayerSel[n] = selector;
        row->addWidget(selector);

        // The picture sets the selectors take their pictures from, kept under their names.
        auto *up = new PictureButton(PictureButton::Kind::Level, i, this);
        up->setObjectName(Controls::numbered("imgLayerUpSource", i));
        up->hide();
        auto *down = new PictureButton(PictureButton::Kind::Level, i, this);
        down->setObjectName(Controls::numbered("imgLayerDownSource", i));
        down->setDown(true);
        down->hide();

        auto *key = new QAction(QString::fromLatin1(kNames[n]), this);
        key->setShortcuts(
            {QKeySequence(Qt::CTRL | kKeys[n]), QKeySequence(Qt::CTRL | Qt::SHIFT | kKeys[n])});
        key->setShortcutContext(Qt::ApplicationShortcut);
        connect(key, &QAction::triggered, this, [this, i] { choose(i); });
        m_keys[n] = key;
    }
    showLevel();
    // The keys are application shortcuts, so they choose the level wherever the focus is.
    // A text box claims Control+A and Control+V for itself (select all, paste); Qt then
    // gives it the key instead of the shortcut, yet the key is to do both. Those presses are
    // the only level keys that still arrive as key presses, so they are watched here and
    // passed on untouched.
    qApp->installEventFilter(this);
}

LevelSelector::~LevelSelector()
{
    qApp->removeEventFilter(this);
}

QList<QAction *> LevelSelector::keyActions() const
{
    return {m_keys.begin(), m_keys.end()};
}

void LevelSelector::choose(int index)
{
    if (index < 0 || index >= kLevels)
        return;
    if (m_core.SetCurrentLayer(index + 1))
        showLevel();
}

void LevelSelector::showLevel()
{
    for (int i = 0; i < kLevels; ++i)
        m_imgLayerSel[static_cast<std::size_t>(i)]->setDown(i + 1 == m_core.CurrentLayer());
}

bool LevelSelector::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress && !QApplication::activeModalWidget()) {
        const QKeySequence pressed(static_cast<const QKeyEvent *>(event)->keyCombination());
        for (int i = 0; i < kLevels; ++i)
            if (m_keys[static_cast<std::size_t>(i)]->shortcuts().contains(pressed))
                choose(i);
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace corvantis
