#include "WindowRig.h"
#include "ui/MacroBank.h"
#include "ui/Theme.h"
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
    void gridShowsEachPictureInItsColour();

private:
    static void startDemo(WindowRig &rig);
    static QImage render(QWidget &widget, qreal scale);
    static void save(const QImage &image, const QString &name);
};

namespace {

Configuration sampleConfiguration()
{
    Configuration config;
    config.settings.CommPortName = "COM1";
    config.settings.RouterTimeout = 0.2f;
    config.settings.CommType = 1;
    const int types[] = {7, 6, 8, 14, 11};
    int next = 0;
    for (int slot = 0; slot < 5; ++slot) {
        auto router = std::make_unique<clsRouter>();
        router->SetFrameAddress(slot);
        router->SetRouterType(types[slot]);
        const auto *model = RouterCatalog::model(types[slot]);
        router->SetInputCount(model->inputs - 1);
        router->SetOutputCount(model->outputs - 1);
        router->SetMapOut(next);
        next += model->outputs;
        config.routers.set(slot, std::move(router));
    }
    return config;
}

QRect rectIn(const QWidget *widget, const QWidget *top)
{
    return QRect(widget->mapTo(top, QPoint(0, 0)), widget->size());
}

// Leaf controls: what the operator sees and clicks; containers only hold them. A shadow is
// drawn under its label on purpose.
bool isControl(const QWidget *widget)
{
    if (widget->objectName().endsWith(QLatin1String("Shadow")))
        return false;
    return qobject_cast<const QLabel *>(widget) || qobject_cast<const QLineEdit *>(widget) ||
           qobject_cast<const QComboBox *>(widget) ||
           qobject_cast<const QAbstractButton *>(widget) ||
           qobject_cast<const QScrollBar *>(widget);
}

void checkLayout(QWidget &window)
{
    QList<QWidget *> controls;
    for (QWidget *widget : window.findChildren<QWidget *>())
        if (widget->isVisible() && isControl(widget) &&
            !qobject_cast<QComboBox *>(widget->parentWidget()) &&
            !qobject_cast<QScrollBar *>(widget->parentWidget()))
            controls << widget;
    QVERIFY(controls.size() > 20);

    const QRect inside = window.rect();
    for (const QWidget *control : controls) {
        const QRect r = rectIn(control, &window);
        QVERIFY2(inside.contains(r), qPrintable(control->objectName() + " leaves the window"));
        // Text is not cut: what the control asks for fits what it got.
        const QSize wanted = control->sizeHint();
        if (auto *label = qobject_cast<const QLabel *>(control); label && !label->wordWrap())
            QVERIFY2(wanted.width() <= r.width(),
                     qPrintable(QStringLiteral("label \"%1\" is cut").arg(label->text())));
        if (qobject_cast<const QPushButton *>(control))
            QVERIFY2(wanted.width() <= r.width() && wanted.height() <= r.height(),
                     qPrintable(control->objectName() + " is squeezed"));
    }
    for (int i = 0; i < controls.size(); ++i)
        for (int j = i + 1; j < controls.size(); ++j)
            QVERIFY2(!rectIn(controls[i], &window).intersects(rectIn(controls[j], &window)),
                     qPrintable(QStringLiteral("%1 overlaps %2")
                                    .arg(controls[i]->objectName(), controls[j]->objectName())));
}

// The controls of each numbered row share one centre line; each column one left edge.
void checkRows(QWidget &window, const QStringList &columns, int rows)
{
    for (int r = 0; r < rows; ++r)
        for (const QString &name : columns) {
            const auto *first = window.findChild<QWidget *>(name + QStringLiteral("_0"));
            const auto *other =
                window.findChild<QWidget *>(QStringLiteral("%1_%2").arg(name).arg(r));
            const auto *leader =
                window.findChild<QWidget *>(columns.first() + QStringLiteral("_%1").arg(r));
            QVERIFY2(first && other && leader, qPrintable(name));
            QCOMPARE(rectIn(other, &window).left(), rectIn(first, &window).left());
            QVERIFY2(!other->isVisible() || qAbs(rectIn(other, &window).center().y() -
                                                 rectIn(leader, &window).center().y()) <= 1,
                     qPrintable(other->objectName()));
        }
}

} // namespace

void WindowLookTest::startDemo(WindowRig &rig)
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
    // The 8x8 router beside it.
    rig.child<QScrollBar>("HScroll")->setValue(8);
    click(3, 8);
    click(4, 11);
    rig.child<QScrollBar>("HScroll")->setValue(0);
    rig.core->link().SetErrMsg(QString());
    if (QWidget *focused = QApplication::focusWidget())
        focused->clearFocus();
}

QImage WindowLookTest::render(QWidget &widget, qreal scale)
{
    QImage image(widget.size() * scale, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(scale);
    image.fill(Qt::transparent);
    widget.render(&image);
    return image;
}

void WindowLookTest::save(const QImage &image, const QString &name)
{
    const QString folder = qEnvironmentVariable("CORVANTIS_IMAGES_DIR");
    if (folder.isEmpty() || qEnvironmentVariableIsSet("QT_SCALE_FACTOR"))
        return;
    QDir().mkpath(folder);
    QVERIFY(image.save(QDir(folder).filePath(name)));
}

void WindowLookTest::layoutIsClean_data()
{
    QTest::addColumn<QString>("window");
    QTest::newRow("main window") << "main";
    QTest::newRow("setup dialog") << "setup";
    QTest::newRow("setup dialog, advanced") << "advanced";
}

void WindowLookTest::layoutIsClean()
{
    QFETCH(QString, window);
    if (window == QLatin1String("main")) {
        WindowRig rig;
        startDemo(rig);
        save(render(*rig.window, 1), "main-window.png");
        checkLayout(*rig.window);
        checkRows(*rig.window, {"txtIn", "txtMIn"}, 16);
        QTest::mouseClick(rig.child<QPushButton>("btnRecord"), Qt::LeftButton);
        save(render(*rig.child<QWidget>("fraMacros"), 1), "macro-bank.png");
        rig.core->recording().setRecordMode(0);
        return;
    }
    test::ScriptedPlatform platform;
    QTemporaryDir dataDir;
    platform.dataFolder = dataDir.path().toStdString();
    const Configuration config = sampleConfiguration();
    frmConfig dialog(config);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    const bool advanced = window == QLatin1String("advanced");
    if (advanced)
        QTest::mouseClick(dialog.findChild<QPushButton *>("btnAdvanced"), Qt::LeftButton);
    QCoreApplication::processEvents();
    save(render(dialog, 1), advanced ? "setup-dialog-advanced.png" : "setup-dialog.png");
    QCOMPARE(dialog.height(), advanced ? frmConfig::kAdvancedHeight : frmConfig::kNormalHeight);
    QVERIFY2(dialog.layout()->minimumSize().height() <= dialog.height(),
             "the controls need more room than the dialog has");
    checkLayout(dialog);
    checkRows(dialog, {"cboRouter", "lblFA", "txtInputs", "txtOutputs", "txtMInput"}, 4);
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

void WindowLookTest::gridShowsEachPictureInItsColour()
{
    WindowRig rig;
    startDemo(rig);
    QCOMPARE(rig.child<QLabel>("lblRouterType")->text(), QString("Lorrin 16x24"));
    QCOMPARE(rig.picture(0, 0), 3);
    QCOMPARE(rig.picture(12, 14), 1);
    QCOMPARE(rig.picture(2, 14), 2);

    const QImage single = render(*rig.window, 1);
    const auto centre = [&](int row, int column) {
        const QRect cell = rig.grid().cellRect(WindowRig::cell(row, column));
        return single.pixelColor(rig.grid().mapTo(rig.window.get(), cell.center()) + QPoint(1, 1));
    };
    auto near = [](const QColor &seen, const QColor &wanted) {
        return std::abs(seen.red() - wanted.red()) < 60 &&
               std::abs(seen.green() - wanted.green()) < 60 &&
               std::abs(seen.blue() - wanted.blue()) < 60;
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

QTEST_MAIN(WindowLookTest)
#include "WindowLookTest.moc"
