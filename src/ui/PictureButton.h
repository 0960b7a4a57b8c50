#pragma once

#include <QWidget>

namespace corvantis {

// One small vector picture of the main window that can be clicked: an input or output
// selector, an output name marker, a level selector, or one of the hidden picture sources.
class PictureButton : public QWidget {
    Q_OBJECT

public:
    enum class Kind { InputSelector, OutputSelector, NameMarker, Level, CellPicture, Alive };

    // For a level selector the index is the level's selector (0 video, 1 audio, 2 all); for a
    // cell picture it is the picture number.
    PictureButton(Kind kind, int index, QWidget *parent = nullptr);

    Kind kind() const { return m_kind; }
    int index() const { return m_index; }
    // A level selector shows its pressed-in picture while its level is chosen.
    bool isDown() const { return m_down; }
    void setDown(bool down);
    // An output selector carries a padlock while its output is locked.
    void setLocked(bool locked);

    QSize sizeHint() const override;

signals:
    void clicked();

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    Kind m_kind;
    int m_index;
    bool m_down = false;
    bool m_locked = false;
    bool m_hovered = false;
    bool m_pressed = false;
};

} // namespace corvantis
