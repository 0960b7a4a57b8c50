#include "ui/frmAbout.h"

#include "ui/Controls.h"
#include "ui/Theme.h"
#include "util/Platform.h"
#include "util/Version.h"

#include <QApplication>
#include <QFrame>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>
#include <QWindow>

namespace corvantis {

namespace {

constexpr const char *kStyle = R"(
QDialog#frmAbout { background: #404040; }
QLabel { color: #c0c0c0; }
QLabel#Label1 { color: #f0f0f0; font-size: 20pt; font-weight: bold; }
QLabel#lblMail, QLabel#lblHome { color: #8cc4ff; text-decoration: underline; }
QLabel#lblMail:focus, QLabel#lblHome:focus { color: #c8e2ff; }
QFrame#Line1, QFrame#Line2, QFrame#Line3 { color: #606060; }
QPushButton { color: #e0e0e0; background: #505050; border: 1px solid #707070;
              padding: 4px 18px; border-radius: 3px; }
QPushButton:focus { border-color: #8cc4ff; }
QPushButton:pressed { background: #303030; }
)";

QFrame *makeLine(QWidget *parent, const QString &name)
{
    auto *line = new QFrame(parent);
    line->setObjectName(name);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Plain);
    return line;
}

} // namespace

frmAbout::frmAbout(QWidget *parent) : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint)
{
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("About"));
    setStyleSheet(QLatin1String(kStyle));
    setAttribute(Qt::WA_StyledBackground);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(24, 20, 24, 16);
    layout->setSpacing(6);
    layout->addWidget(makeLabel(QStringLiteral("Label1"), QString::fromLatin1(kProgramTitle)));
    layout->addWidget(makeLabel(QStringLiteral("Label2"),
                                QStringLiteral("Control of audio and video matrix routers")));
    layout->addWidget(makeLine(this, QStringLiteral("Line1")));
    layout->addWidget(makeLabel(QStringLiteral("lblVersion"), VersionText()));
    layout->addWidget(
        makeLabel(QStringLiteral("Label3"), QStringLiteral("Made by Corvantis Control Systems")));
    layout->addWidget(makeLine(this, QStringLiteral("Line2")));
    m_lblMail = makeLink(QStringLiteral("lblMail"), QString::fromLatin1(kMailAddress));
    m_lblHome = makeLink(QStringLiteral("lblHome"), QString::fromLatin1(kHomePage));
    layout->addWidget(m_lblMail);
    layout->addWidget(m_lblHome);
    layout->addWidget(makeLine(this, QStringLiteral("Line3")));

    m_btnOK = new QPushButton(QStringLiteral("OK"), this);
    m_btnOK->setObjectName(QStringLiteral("btnOK"));
    m_btnOK->setDefault(true);
    connect(m_btnOK, &QPushButton::clicked, this, &QDialog::accept);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_btnOK);
    layout->addLayout(buttons);

    setFixedSize(sizeHint().expandedTo(QSize(380, 0)));
    m_btnOK->setFocus();
}

QString frmAbout::VersionText()
{
    return QStringLiteral("Version: %1.%2.%3")
        .arg(kVersionMajor)
        .arg(kVersionMinor)
        .arg(kVersionRevision);
}

QLabel *frmAbout::makeLabel(const QString &name, const QString &text)
{
    // Plain labels let mouse presses through to the window, which closes or drags.
    auto *label = Controls::makeLabel(text, this, name);
    label->setTextFormat(Qt::PlainText);
    return label;
}

QLabel *frmAbout::makeLink(const QString &name, const QString &text)
{
    auto *label = makeLabel(name, text);
    label->setCursor(Qt::PointingHandCursor);
    label->setFocusPolicy(Qt::StrongFocus);
    label->setToolTip(name == QLatin1String("lblMail") ? QStringLiteral("Write to support")
                                                       : QStringLiteral("Open the home page"));
    label->installEventFilter(this);
    return label;
}

void frmAbout::openLink(QLabel *link)
{
    const auto text = link->text().toStdString();
    platform().openDocument(link == m_lblMail ? "mailto:" + text : text);
}

bool frmAbout::eventFilter(QObject *watched, QEvent *event)
{
    auto *link = qobject_cast<QLabel *>(watched);
    if (link != m_lblMail && link != m_lblHome)
        return QDialog::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::MouseButtonPress:
        // Taken here, so a press on a link neither closes nor drags the window.
        return true;
    case QEvent::MouseButtonRelease:
        if (static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton &&
            link->rect().contains(static_cast<QMouseEvent *>(event)->position().toPoint()))
            openLink(link);
        return true;
    case QEvent::KeyPress: {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Space || key == Qt::Key_Return || key == Qt::Key_Enter) {
            openLink(link);
            return true;
        }
        break;
    }
    default:
        break;
    }
    return QDialog::eventFilter(watched, event);
}

void frmAbout::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton) {
        QDialog::mousePressEvent(event);
        return;
    }
    m_pressed = true;
    m_dragging = false;
    m_pressGlobal = event->globalPosition().toPoint();
    m_pressWindowPos = pos();
}

void frmAbout::mouseMoveEvent(QMouseEvent *event)
{
    if (!m_pressed || !(event->buttons() & Qt::LeftButton))
        return;
    const QPoint offset = event->globalPosition().toPoint() - m_pressGlobal;
    if (!m_dragging) {
        if (offset.manhattanLength() < QApplication::startDragDistance())
            return;
        m_dragging = true;
        // The window system moves the window where it can (and must, on Wayland); it then
        // keeps the rest of the drag and the release to itself.
        if (windowHandle() && windowHandle()->startSystemMove()) {
            m_pressed = false;
            return;
        }
    }
    move(m_pressWindowPos + offset);
}

void frmAbout::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return;
    const bool click = m_pressed && !m_dragging;
    m_pressed = false;
    m_dragging = false;
    if (click)
        accept();
}

void frmAbout::paintEvent(QPaintEvent *event)
{
    QDialog::paintEvent(event);
    // Without a frame the window needs an edge of its own against what lies behind it.
    QPainter painter(this);
    painter.setPen(Theme::kOutline);
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

} // namespace corvantis
