#include "config/ConfigFile.h"
#include "support/ScriptedPlatform.h"
#include "ui/frmConfig.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

using namespace corvantis;

// The setup dialog must look clean in both sizes: every control inside the dialog, no control
// on top of another, no text cut off, rows lined up. With CORVANTIS_IMAGE_DIR set it also
// writes the pictures for the documentation.
class SetupDialogLookTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void layoutIsCleanInBothSizes_data();
    void layoutIsCleanInBothSizes();
    void layoutIsCleanAtDoubleScale();

private:
    std::unique_ptr<test::ScriptedPlatform> m_platform;
    std::unique_ptr<QTemporaryDir> m_dataDir;
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

// Leaf controls: what the operator sees and clicks; containers only hold them.
bool isControl(const QWidget *widget)
{
    return qobject_cast<const QLabel *>(widget) || qobject_cast<const QLineEdit *>(widget) ||
           qobject_cast<const QComboBox *>(widget) ||
           qobject_cast<const QAbstractButton *>(widget) ||
           widget->objectName() == QLatin1String("VScroll");
}

} // namespace

void SetupDialogLookTest::init()
{
    m_platform = std::make_unique<test::ScriptedPlatform>();
    m_dataDir = std::make_unique<QTemporaryDir>();
    m_platform->dataFolder = m_dataDir->path().toStdString();
}

void SetupDialogLookTest::cleanup()
{
    m_platform.reset();
    m_dataDir.reset();
}

void SetupDialogLookTest::layoutIsCleanInBothSizes_data()
{
    QTest::addColumn<bool>("advanced");
    QTest::addColumn<QString>("image");
    QTest::newRow("normal") << false << "setup-dialog.png";
    QTest::newRow("advanced") << true << "setup-dialog-advanced.png";
}

void SetupDialogLookTest::layoutIsCleanInBothSizes()
{
    QFETCH(bool, advanced);
    QFETCH(QString, image);
    const Configuration config = sampleConfiguration();
    frmConfig dialog(config);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    if (advanced)
        QTest::mouseClick(dialog.findChild<QPushButton *>("btnAdvanced"), Qt::LeftButton);
    QCoreApplication::processEvents();
    const QString folder = qEnvironmentVariable("CORVANTIS_IMAGE_DIR");
    if (!folder.isEmpty()) {
        QVERIFY(QDir().mkpath(folder));
        QVERIFY(dialog.grab().save(QDir(folder).filePath(image)));
    }
    QCOMPARE(dialog.height(), advanced ? frmConfig::kAdvancedHeight : frmConfig::kNormalHeight);
    QVERIFY2(dialog.layout()->minimumSize().height() <= dialog.height(),
             "the controls need more room than the dialog has");

    QList<QWidget *> controls;
    for (QWidget *widget : dialog.findChildren<QWidget *>())
        if (widget->isVisible() && isControl(widget) &&
            !qobject_cast<QComboBox *>(widget->parentWidget()))
            controls << widget;
    QVERIFY(controls.size() > 20);

    const QRect inside = dialog.rect();
    for (const QWidget *control : controls) {
        const QRect r = rectIn(control, &dialog);
        QVERIFY2(inside.contains(r), qPrintable(control->objectName() + " leaves the dialog"));
        // Text is not cut: what the control asks for fits what it got.
        const QSize wanted = control->sizeHint();
        if (auto *label = qobject_cast<const QLabel *>(control); label && !label->wordWrap())
            QVERIFY2(wanted.width() <= r.width(),
                     qPrintable(QStringLiteral("label \"%1\" is cut").arg(label->text())));
        if (qobject_cast<const QAbstractButton *>(control))
            QVERIFY2(wanted.width() <= r.width() && wanted.height() <= r.height(),
                     qPrintable(control->objectName() + " is squeezed"));
    }
    for (int i = 0; i < controls.size(); ++i)
        for (int j = i + 1; j < controls.size(); ++j) {
            const QRect a = rectIn(controls[i], &dialog);
            const QRect b = rectIn(controls[j], &dialog);
            QVERIFY2(!a.intersects(b),
                     qPrintable(QStringLiteral("%1 overlaps %2")
                                    .arg(controls[i]->objectName(), controls[j]->objectName())));
        }

    // Each row's controls share one centre line; each column one left edge.
    for (int r = 0; r < 4; ++r) {
        const auto centre = [&](const char *name) {
            return rectIn(dialog.findChild<QWidget *>(QStringLiteral("%1_%2").arg(name).arg(r)),
                          &dialog)
                .center()
                .y();
        };
        QVERIFY(qAbs(centre("lblFA") - centre("cboRouter")) <= 1);
        QVERIFY(qAbs(centre("txtInputs") - centre("cboRouter")) <= 1);
        for (const char *name : {"cboRouter", "txtInputs", "txtOutputs", "txtMInput"}) {
            const auto *first = dialog.findChild<QWidget *>(QStringLiteral("%1_0").arg(name));
            const auto *other =
                dialog.findChild<QWidget *>(QStringLiteral("%1_%2").arg(name).arg(r));
            QCOMPARE(rectIn(other, &dialog).left(), rectIn(first, &dialog).left());
        }
    }
}

// The same checks in a second run of this program at 200 % (the scale is fixed at start-up).
void SetupDialogLookTest::layoutIsCleanAtDoubleScale()
{
    if (qEnvironmentVariableIsSet("QT_SCALE_FACTOR"))
        QSKIP("already running scaled");
    QProcess run;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_SCALE_FACTOR"), QStringLiteral("2"));
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    environment.remove(QStringLiteral("CORVANTIS_IMAGE_DIR"));
    run.setProcessEnvironment(environment);
    run.setProcessChannelMode(QProcess::MergedChannels);
    run.start(QCoreApplication::applicationFilePath(),
              {QStringLiteral("layoutIsCleanInBothSizes")});
    QVERIFY(run.waitForFinished(120000));
    QVERIFY2(run.exitStatus() == QProcess::NormalExit && run.exitCode() == 0,
             run.readAll().constData());
}

QTEST_MAIN(SetupDialogLookTest)
#include "SetupDialogLookTest.moc"
