#include "WindowRig.h"
#include "ui/CrosspointGrid.h"
#include "ui/Theme.h"
#include "ui/VectorPictures.h"
#include "ui/frmConfig.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QDir>
#include <QImage>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QScrollBar>
#include <array>
#include <utility>

using namespace corvantis;
using namespace corvantis::test;

// Every window must look clean, also at 200 %: every control inside it, none on top of another,
// no text cut off, rows lined up; the grid shows each picture in its colour. With
// CORVANTIS_IMAGES_DIR set, the pictures of the README are written there.
class WindowLookTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { Theme::apply(*qApp); }
    void layoutIsClean_data();
    void layoutIsClean();
    void layoutIsCleanAtDoubleScale();
    void crosspointStatesDifferWithoutColour();
};

namespace {

QRect rectIn(const QWidget *widget, const QWidget *top)
{
    return QRect(widget->mapTo(top, QPoint(0, 0)), widget->size());
}

// Leaf controls: what the operator sees and clicks; containers only hold them. A shadow is
// drawn under its label on purpose.
bool isControl(const QWidget *widget)
{
    if (widget->objectName().endsWith(QLatin1String("Shadow")) ||
        qobject_cast<QComboBox *>(widget->parentWidget()) ||
        qobject_cast<QScrollBar *>(widget->parentWidget()))
        return false;
    return qobject_cast<const QLabel *>(widget) || qobject_cast<const QLineEdit *>(widget) ||
           qobject_cast<const QComboBox *>(widget) ||
           qobject_cast<const QAbstractButton *>(widget) ||
           qobject_cast<const QScrollBar *>(widget);
}

QImage render(QWidget &widget, qreal scale)
{
    QImage image(widget.size() * scale, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(scale);
    image.fill(Qt::transparent);
    widget.render(&image);
    return image;
}

void save(const QImage &image, const QString &name)
{
    const QString folder = qEnvironmentVariable("CORVANTIS_IMAGES_DIR");
    if (folder.isEmpty() || qEnvironmentVariableIsSet("QT_SCALE_FACTOR"))
        return;
    QDir().mkpath(folder);
    QVERIFY(image.save(QDir(folder).filePath(name)));
}

// The README's main window: the demo configuration with a few routes made.
void startDemo(WindowRig &rig)
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
    rig.startFrom(copy);
    // The demo file keeps the default gap; the clicks below need not wait for it.
    rig.core->settings().CommandGap = WindowRig::kGap;

    auto click = [&](int row, int column) {
        rig.window->imgMatrix_Click(WindowRig::cell(row, column));
    };
    for (const auto &[row, column] :
         {std::pair{0, 0}, {1, 1}, {6, 2}, {6, 3}, {13, 8}, {2, 10}, {2, 14}})
        click(row, column);
    // Video only: the projector takes the laptop's picture and keeps camera 3's sound.
    rig.window->imgLayerSel_Click(0);
    click(12, 14);
    rig.window->imgLayerSel_Click(2);
    rig.finishActions();
    rig.core->link().SetErrMsg(QString());
    if (QWidget *focused = QApplication::focusWidget())
        focused->clearFocus();
}

void checkGridColours(WindowRig &rig, const QImage &single)
{
    const auto centre = [&](int row, int column) {
        const QRect cell = rig.grid().cellRect(WindowRig::cell(row, column));
        return single.pixelColor(rig.grid().mapTo(rig.window.get(), cell.center()) + QPoint(1, 1));
    };
    auto near = [](const QColor &a, const QColor &b) {
        return std::max({qAbs(a.red() - b.red()), qAbs(a.green() - b.green()),
                         qAbs(a.blue() - b.blue())}) < 60;
    };
    QVERIFY(near(centre(0, 0), Theme::kAllLevels));
    QVERIFY(near(centre(12, 14), Theme::kVideo) || centre(12, 14).value() < 80); // or its letter
    QVERIFY(near(centre(5, 5), Theme::kGrid) || near(centre(5, 5), Theme::kGridMajorLine));

    // Columns 9 to 16 of the grid with their numbers and selectors at 200 %, for the README.
    const QImage twice = render(*rig.window, 2);
    const int s = rig.grid().cellSize();
    const QPoint corner = rig.grid().mapTo(rig.window.get(), QPoint(8 * s, 0));
    save(twice.copy(QRect((corner.x() - 4) * 2, (corner.y() - 46) * 2, (8 * s + 8) * 2,
                          (14 * s + 50) * 2)),
         "grid-detail@2x.png");
}

} // namespace

void WindowLookTest::layoutIsClean_data()
{
    const QStringList setupRow{"cboRouter", "lblFA", "txtInputs", "txtOutputs", "txtMInput"};
    QTest::addColumn<QString>("picture");
    QTest::addColumn<QStringList>("row"); // the controls of one numbered row
    QTest::addColumn<int>("rows");
    QTest::newRow("main window") << "main-window" << QStringList{"txtIn", "txtMIn"} << 16;
    QTest::newRow("setup dialog") << "setup-dialog" << setupRow << 4;
    QTest::newRow("setup dialog, advanced") << "setup-dialog-advanced" << setupRow << 4;
}

void WindowLookTest::layoutIsClean()
{
    QFETCH(QString, picture);
    QFETCH(QStringList, row);
    QFETCH(int, rows);
    WindowRig rig;
    std::unique_ptr<frmConfig> dialog;
    QWidget *window = nullptr;
    if (picture == QLatin1String("main-window")) {
        startDemo(rig);
        window = rig.window.get();
    } else {
        Configuration config;
        config.settings.CommPortName = "COM1";
        config.settings.RouterTimeout = 0.2f;
        config.settings.CommType = 1;
        int next = 0;
        for (int slot = 0; slot < 5; ++slot) {
            const int type = std::array{7, 6, 8, 14, 11}[slot];
            const auto *model = RouterCatalog::model(type);
            config.routers.set(slot, makeRouter({slot, type, model->inputs, model->outputs,
                                                 std::exchange(next, next + model->outputs)}));
        }
        dialog = std::make_unique<frmConfig>(config);
        dialog->show();
        QVERIFY(QTest::qWaitForWindowExposed(dialog.get()));
        const bool advanced = picture.endsWith(QLatin1String("advanced"));
        if (advanced)
            QTest::mouseClick(control<QPushButton>(dialog.get(), "btnAdvanced"), Qt::LeftButton);
        QCoreApplication::processEvents();
        QVERIFY2(dialog->layout()->minimumSize().height() <= dialog->height(),
                 "the controls need more room than the dialog has");
        window = dialog.get();
    }
    const QImage image = render(*window, 1);
    save(image, picture + ".png");

    QList<QWidget *> controls;
    for (QWidget *widget : window->findChildren<QWidget *>())
        if (widget->isVisible() && isControl(widget))
            controls << widget;
    QVERIFY(controls.size() > 20);
    for (int i = 0; i < controls.size(); ++i) {
        const QWidget *control = controls[i];
        const QRect r = rectIn(control, window);
        QVERIFY2(window->rect().contains(r), qPrintable(control->objectName() + " leaves it"));
        // Text is not cut: what the control asks for fits what it got.
        const QSize wanted = control->sizeHint();
        if (auto *label = qobject_cast<const QLabel *>(control); label && !label->wordWrap())
            QVERIFY2(wanted.width() <= r.width(), qPrintable("label cut: " + label->text()));
        if (qobject_cast<const QPushButton *>(control))
            QVERIFY2(wanted.width() <= r.width() && wanted.height() <= r.height(),
                     qPrintable(control->objectName() + " is squeezed"));
        for (int j = i + 1; j < controls.size(); ++j)
            QVERIFY2(!r.intersects(rectIn(controls[j], window)),
                     qPrintable(control->objectName() + " overlaps " + controls[j]->objectName()));
    }
    // The controls of each numbered row share one centre line; each column one left edge.
    for (int r = 0; r < rows; ++r)
        for (const QString &name : row) {
            const auto *first = control<QWidget>(window, name + "_0");
            const auto *other = control<QWidget>(window, QStringLiteral("%1_%2").arg(name).arg(r));
            const auto *leader =
                control<QWidget>(window, QStringLiteral("%1_%2").arg(row[0]).arg(r));
            QCOMPARE(rectIn(other, window).left(), rectIn(first, window).left());
            QVERIFY2(!other->isVisible() || qAbs(rectIn(other, window).center().y() -
                                                 rectIn(leader, window).center().y()) <= 1,
                     qPrintable(other->objectName()));
        }

    if (!dialog) {
        checkGridColours(rig, image);
        QTest::mouseClick(rig.child<QPushButton>("btnRecord"), Qt::LeftButton);
        save(render(*rig.child<QWidget>("fraMacros"), 1), "macro-bank.png");
        rig.core->recording().setRecordMode(0);
    }
}

// The same checks in a second run of this program at 200 % (the scale is fixed at start-up).
void WindowLookTest::layoutIsCleanAtDoubleScale()
{
    if (qEnvironmentVariableIsSet("QT_SCALE_FACTOR"))
        QSKIP("already running scaled");
    QProcess run;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_SCALE_FACTOR"), QStringLiteral("2"));
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    run.setProcessEnvironment(environment);
    run.setProcessChannelMode(QProcess::MergedChannels);
    run.start(QCoreApplication::applicationFilePath(), {QStringLiteral("layoutIsClean")});
    QVERIFY(run.waitForFinished(120000));
    QVERIFY2(run.exitStatus() == QProcess::NormalExit && run.exitCode() == 0,
             run.readAll().constData());
}

// Confirmed, pending, failed and stale are told apart by shape and lightness, not only by hue:
// in grey the four marked cells differ from each other.
void WindowLookTest::crosspointStatesDifferWithoutColour()
{
    CrosspointGrid grid(24);
    grid.resize(grid.sizeHint());
    const std::array marks{VectorPictures::kConfirmed, VectorPictures::kPending,
                           VectorPictures::kFailed, VectorPictures::kStale};
    for (int column = 0; column < int(marks.size()); ++column) {
        CrosspointGrid::ColumnTruth truth;
        truth.video = marks[std::size_t(column)];
        // The route asked for lies two rows below the input that still holds.
        truth.pendingVideoRow = marks[std::size_t(column)] == VectorPictures::kPending ? 4 : -1;
        grid.ShowColumn(column, 2, 2, false, truth);
    }
    const QImage image = render(grid, 2).convertToFormat(QImage::Format_Grayscale8);
    save(render(grid, 2).copy(0, 0, 4 * 24 * 2, 6 * 24 * 2), "crosspoint-states.png");
    const auto cell = [&](int row, int column) {
        const QRect r = grid.cellRect(row * 16 + column);
        return image.copy(QRect(r.topLeft() * 2, r.size() * 2));
    };
    const std::array cells{cell(2, 0), cell(4, 1), cell(2, 2), cell(2, 3)};
    for (std::size_t a = 0; a < cells.size(); ++a)
        for (std::size_t b = a + 1; b < cells.size(); ++b) {
            qint64 difference = 0;
            for (int y = 0; y < cells[a].height(); ++y)
                for (int x = 0; x < cells[a].width(); ++x)
                    difference += qAbs(qGray(cells[a].pixel(x, y)) - qGray(cells[b].pixel(x, y)));
            const qint64 mean = difference / (cells[a].width() * cells[a].height());
            QVERIFY2(
                mean >= 8,
                qPrintable(QStringLiteral("marks %1 and %2 look alike in grey").arg(a).arg(b)));
        }
}

QTEST_MAIN(WindowLookTest)
#include "WindowLookTest.moc"
