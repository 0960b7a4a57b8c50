#pragma once

#include <QList>
#include <QWidget>
#include <array>

class QAction;
class QLabel;

namespace corvantis {

class AppCore;
class PictureButton;

// "Level" and the three level selectors (video, audio, all levels) with their keys
// Control+V, Control+A and Control+B. The chosen level is the core's; the selector of that
// level shows pressed in.
class LevelSelector : public QWidget {
    Q_OBJECT

public:
    static constexpr int kLevels = 3;

    explicit LevelSelector(AppCore &core, QWidget *parent = nullptr);
    ~LevelSelector() override;

    // The keys, to be added to the window: they work while the selectors are hidden too.
    QList<QAction *> keyActions() const;
    // A click on selector 0 to 2.
    void choose(int index);
    // Shows the core's level.
    void showLevel();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    AppCore &m_core;
    QLabel *m_lblLevel = nullptr;
    std::array<PictureButton *, kLevels> m_imgLayerSel{};
    std::array<QAction *, kLevels> m_keys{};
};

} // namespace corvantis
