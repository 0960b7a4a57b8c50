#pragma once

#include <QDialog>
#include <QPoint>

class QLabel;
class QPushButton;

namespace corvantis {

// The borderless "About" window: the program's name, version, support mail and home page.
// A click anywhere but on the links closes it, a drag moves it, the links open through the
// platform seam. Every control's objectName is its name.
class frmAbout : public QDialog {
    Q_OBJECT

public:
    static constexpr const char *kMailAddress = "support@corvantis.invalid";
    static constexpr const char *kHomePage = "https://www.corvantis.invalid/";

    explicit frmAbout(QWidget *parent = nullptr);

    // "Version: 1.2.0" for version 1, 2, 0.
    static QString VersionText();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    QLabel *makeLabel(const QString &name, const QString &text);
    QLabel *makeLink(const QString &name, const QString &text);
    void openLink(QLabel *link);

    QPushButton *m_btnOK = nullptr;
    QLabel *m_lblMail = nullptr;
    QLabel *m_lblHome = nullptr;
    bool m_pressed = false;
    bool m_dragging = false;
    QPoint m_pressGlobal;
    QPoint m_pressWindowPos;
};

} // namespace corvantis
