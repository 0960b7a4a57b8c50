#include "WindowRig.h"
#include "ui/Theme.h"

#include <QDir>
#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QScrollBar>

using namespace corvantis;
using namespace corvantis::test;

// Renders the main window with the demo configuration and checks what the cells show in
// pixels. With CORVANTIS_IMAGES_DIR set, the pictures of the README are written there.
class MainWindowLookTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void demoWindowShowsEachPictureInItsColour();
    void picturesStaySharpAtTwiceTheScale();

private:
    void startDemo(WindowRig &rig);
    void routeDemo(WindowRig &rig);
    static QImage render(QWidget &widget, qreal scale);
    static void save(const QImage &image, const QString &name);
    static QColor cellCentre(const QImage &image, WindowRig &rig, int row, int column,
                             qreal scale = 1);
};

void MainWindowLookTest::initTestCase()
{
    Theme::apply(*qApp);
}

void MainWindowLookTest::startDemo(WindowRig &rig)
{
    const QString demo = QFINDTESTDATA("../../docs/demo.rcf");
    QVERIFY2(!demo.isEmpty(), "docs/demo.rcf not found");
    const QString copy = QString::fromStdString(ConfigFolder()) + "demo.rcf";
    QFile::remove(copy);
    QVERIFY(QFile::copy(demo, copy));
    QString error;
    QVERIFY2(rig.line.loadConfiguration(copy, &error), qPrintable(error));
    QVERIFY(rig.line.open(QString::fromStdString(ProgramDataFolder()) + "ports/com1"));
    rig.makeWindow();
    rig.platform.answers.push_back(MessageAnswer::Yes);
    rig.platform.fileAnswers.push_back(copy.toStdString());
    rig.window->Form_Load();
    rig.window->show();
    QVERIFY(QTest::qWaitForWindowExposed(rig.window.get()));
    rig.settle();
}

void MainWindowLookTest::routeDemo(WindowRig &rig)
{
    auto click = [&](int row, int column) {
        rig.window->imgMatrix_Click(WindowRig::cell(row, column));
    };
    click(0, 0);
    click(1, 1);
    click(6, 2);
    click(6, 3);
    click(13, 8);
    click(2, 10);
    // Video only: the projector takes the laptop's picture and keeps camera 3's sound.
    click(2, 14);
    rig.window->imgLayerSel_Click(0);
    click(12, 14);
    rig.window->imgLayerSel_Click(2);
    // The 8x8 router beside it.
    rig.child<QScrollBar>("HScroll")->setValue(8);
    click(3, 8);
    click(4, 11);
    rig.child<QScrollBar>("HScroll")->setValue(0);
    rig.core->link().SetErrMsg(QString());
    if (QWidget *focused = QApplication::focusWidget())
        focused->clearFocus();
}

QImage MainWindowLookTest::render(QWidget &widget, qreal scale)
{
    QImage image(widget.size() * scale, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(scale);
    image.fill(Qt::transparent);
    widget.render(&image);
    return image;
}

void MainWindowLookTest::save(const QImage &image, const QString &name)
{
    const QString folder = qEnvironmentVariable("CORVANTIS_IMAGES_DIR");
    if (folder.isEmpty())
        return;
    QDir().mkpath(folder);
    QVERIFY(image.save(QDir(folder).filePath(name)));
}

QColor MainWindowLookTest::cellCentre(const QImage &image, WindowRig &rig, int row, int column,
                                      qreal scale)
{
    const QRect cell = rig.grid().cellRect(WindowRig::cell(row, column));
    const QPoint centre = rig.grid().mapTo(rig.window.get(), cell.center());
    return image.pixelColor(QPointF(QPointF(centre) * scale).toPoint() + QPoint(1, 1));
}

void MainWindowLookTest::demoWindowShowsEachPictureInItsColour()
{
    WindowRig rig;
    startDemo(rig);
    routeDemo(rig);
    QCOMPARE(rig.child<QLabel>("lblRouterType")->text(), QString("Lorrin 16x24"));
    QCOMPARE(rig.picture(0, 0), 3);
    QCOMPARE(rig.picture(12, 14), 1);
    QCOMPARE(rig.picture(2, 14), 2);

    const QImage image = render(*rig.window, 1);
    save(image, "main-window.png");
    auto near = [](const QColor &seen, const QColor &wanted) {
        return std::abs(seen.red() - wanted.red()) < 60 &&
               std::abs(seen.green() - wanted.green()) < 60 &&
               std::abs(seen.blue() - wanted.blue()) < 60;
    };
    QVERIFY(near(cellCentre(image, rig, 0, 0), Theme::kAllLevels));
    QVERIFY(near(cellCentre(image, rig, 12, 14), Theme::kVideo) ||
            cellCentre(image, rig, 12, 14).value() < 80); // the letter may sit at the centre
    QVERIFY(!near(cellCentre(image, rig, 5, 5), Theme::kAllLevels));
    QVERIFY(near(cellCentre(image, rig, 5, 5), Theme::kGrid) ||
            near(cellCentre(image, rig, 5, 5), Theme::kGridMajorLine));
}

void MainWindowLookTest::picturesStaySharpAtTwiceTheScale()
{
    WindowRig rig;
    startDemo(rig);
    routeDemo(rig);
    const QImage single = render(*rig.window, 1);
    const QImage twice = render(*rig.window, 2);
    QCOMPARE(twice.size(), single.size() * 2);
    // Columns 9 to 16 of the grid with their numbers and selectors at 200 %, for the README.
    const int s = rig.grid().cellSize();
    const QPoint corner = rig.grid().mapTo(rig.window.get(), QPoint(8 * s, 0));
    save(twice.copy(QRect((corner.x() - 4) * 2, (corner.y() - 46) * 2, (8 * s + 8) * 2,
                          (14 * s + 50) * 2)),
         "grid-detail@2x.png");

    // Drawn at the higher resolution, not scaled up: the ring of a marker has more distinct
    // shades at 200 % than a pixel-doubled copy of the 100 % picture would have.
    auto shades = [](const QImage &image, const QRect &area) {
        QSet<QRgb> seen;
        for (int y = area.top(); y <= area.bottom(); ++y)
            for (int x = area.left(); x <= area.right(); ++x)
                seen.insert(image.pixel(x, y));
        return seen.size();
    };
    const QRect cell = rig.grid().cellRect(WindowRig::cell(0, 0));
    const QRect inWindow(rig.grid().mapTo(rig.window.get(), cell.topLeft()), cell.size());
    const QImage doubled = single.copy(inWindow).scaled(inWindow.size() * 2);
    const QRect twiceArea(inWindow.topLeft() * 2, inWindow.size() * 2);
    QVERIFY(shades(twice, twiceArea) > shades(doubled, doubled.rect()));
}

QTEST_MAIN(MainWindowLookTest)
#include "MainWindowLookTest.moc"
