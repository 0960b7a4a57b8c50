#include "ui/frmAbout.h"

#include "support/ScriptedPlatform.h"
#include "ui/QtPlatform.h"

#include <QDesktopServices>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QtTest>
#include <memory>

using namespace corvantis;

namespace {

// Stands in for the desktop's mail program and browser.
class UrlCatcher : public QObject {
    Q_OBJECT

public:
    QList<QUrl> urls;

public slots:
    void open(const QUrl &url) { urls << url; }
};

// The pointer at a place on the screen, reported to the widget wherever it is now.
void sendMouse(QWidget *widget, QEvent::Type type, QPoint global, Qt::MouseButtons held)
{
    const QPointF local = widget->mapFromGlobal(QPointF(global));
    const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent event(type, local, QPointF(global), button, held, Qt::NoModifier);
    QApplication::sendEvent(widget, &event);
}

} // namespace

class frmAboutTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void showsTheVersionWithoutAFrame();
    void okOrAClickOnTextCloses_data();
    void okOrAClickOnTextCloses();
    void dragMovesTheWindowAndKeepsItOpen();
    void linksReachTheDesktopsHandlersAndTheBoxStaysOpen();

private:
    template <typename T> T *child(const QString &name) const
    {
        auto *widget = m_about->findChild<T *>(name);
        if (!widget)
            qFatal("no control %s", qPrintable(name));
        return widget;
    }
    void click(QWidget *widget);

    std::unique_ptr<test::ScriptedPlatform> m_platform;
    std::unique_ptr<frmAbout> m_about;
};

void frmAboutTest::init()
{
    m_platform = std::make_unique<test::ScriptedPlatform>();
    m_about = std::make_unique<frmAbout>();
    m_about->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_about.get()));
}

void frmAboutTest::cleanup()
{
    m_about.reset();
    QVERIFY(m_platform->unexpected.empty());
    m_platform.reset();
}

void frmAboutTest::click(QWidget *widget)
{
    const QPoint centre = widget->mapToGlobal(widget->rect().center());
    sendMouse(widget, QEvent::MouseButtonPress, centre, Qt::LeftButton);
    sendMouse(widget, QEvent::MouseButtonRelease, centre, Qt::NoButton);
}

void frmAboutTest::showsTheVersionWithoutAFrame()
{
    QVERIFY(m_about->windowFlags().testFlag(Qt::FramelessWindowHint));
    QCOMPARE(child<QLabel>("lblVersion")->text(), QStringLiteral("Version: 1.2.0"));
}

void frmAboutTest::okOrAClickOnTextCloses_data()
{
    QTest::addColumn<QString>("control");
    QTest::newRow("OK") << "btnOK";
    QTest::newRow("window") << "frmAbout";
    QTest::newRow("version") << "lblVersion";
}

void frmAboutTest::okOrAClickOnTextCloses()
{
    QFETCH(QString, control);
    QWidget *target =
        control == QLatin1String("frmAbout") ? m_about.get() : child<QWidget>(control);
    if (auto *button = qobject_cast<QPushButton *>(target))
        QTest::mouseClick(button, Qt::LeftButton);
    else
        click(target);
    QVERIFY(!m_about->isVisible());
    QCOMPARE(m_about->result(), int(QDialog::Accepted));
    QVERIFY(m_platform->openedDocuments.empty());
}

void frmAboutTest::dragMovesTheWindowAndKeepsItOpen()
{
    auto *label = child<QLabel>("Label2");
    const QPoint start = m_about->pos();
    const QPoint grip = label->mapToGlobal(label->rect().center());
    sendMouse(label, QEvent::MouseButtonPress, grip, Qt::LeftButton);
    sendMouse(label, QEvent::MouseMove, grip + QPoint(30, 20), Qt::LeftButton);
    sendMouse(label, QEvent::MouseMove, grip + QPoint(60, 40), Qt::LeftButton);
    sendMouse(label, QEvent::MouseButtonRelease, grip + QPoint(60, 40), Qt::NoButton);
    QVERIFY(m_about->isVisible());
    QCOMPARE(m_about->pos(), start + QPoint(60, 40));
}

void frmAboutTest::linksReachTheDesktopsHandlersAndTheBoxStaysOpen()
{
    QtPlatform qtPlatform;
    setPlatform(&qtPlatform);
    UrlCatcher catcher;
    QDesktopServices::setUrlHandler(QStringLiteral("mailto"), &catcher, "open");
    QDesktopServices::setUrlHandler(QStringLiteral("https"), &catcher, "open");
    click(child<QLabel>("lblMail"));
    click(child<QLabel>("lblHome"));
    child<QLabel>("lblHome")->setFocus();
    QTest::keyClick(child<QLabel>("lblHome"), Qt::Key_Space);
    QDesktopServices::unsetUrlHandler(QStringLiteral("mailto"));
    QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
    setPlatform(m_platform.get());
    const QUrl home(QStringLiteral("https://www.corvantis.invalid/"));
    QCOMPARE(catcher.urls,
             (QList<QUrl>{QUrl(QStringLiteral("mailto:support@corvantis.invalid")), home, home}));
    QVERIFY(m_about->isVisible());
}

QTEST_MAIN(frmAboutTest)
#include "frmAboutTest.moc"
