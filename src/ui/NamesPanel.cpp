#include "ui/NamesPanel.h"

#include "ui/Controls.h"
#include "ui/CrosspointPanel.h"
#include "ui/PictureButton.h"
#include "ui/ReportFailure.h"

#include <QEvent>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QTimer>

namespace corvantis {

namespace {

constexpr int kNameBoxWidth = 150;
constexpr int kNumberWidth = 30;
constexpr int kMarkerWidth = 16;

} // namespace

NamesPanel::NamesPanel(AppCore &core, AppCore::Side side, QWidget *parent)
    : QWidget(parent), m_core(core), m_side(side)
{
    const bool inputs = side == AppCore::Side::Input;
    const int s = CrosspointPanel::kCellSize;
    // Inputs: the names only. Outputs: number, marker, name.
    const int nameColumn = inputs ? 0 : 2;
    auto *grid = new QGridLayout(this);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setHorizontalSpacing(0);
    grid->setVerticalSpacing(0);

    auto *title = inputs ? Controls::makeLabel(QStringLiteral("Input Names"), this,
                                               QStringLiteral("lblInputNames"))
                         : Controls::makeLabel(QStringLiteral("Output Names"), this,
                                               QStringLiteral("lblOutputNames"));
    QFont font = title->font();
    font.setBold(true);
    title->setFont(font);
    title->setAlignment(Qt::AlignLeft | Qt::AlignBottom);
    title->setContentsMargins(2, 0, 0, 4);
    grid->addWidget(title, 0, 0, CrosspointPanel::kFirstRow, nameColumn + 1);

    QFont numberFont = this->font();
    numberFont.setPixelSize(11);
    for (int r = 0; r < kViewSize; ++r) {
        const auto i = static_cast<std::size_t>(r);
        const int gridRow = CrosspointPanel::kFirstRow + r;
        if (!inputs) {
            auto *number =
                Controls::makeLabel(QString::number(r + 1), this, Controls::numbered("txtSOut", r));
            number->setFont(numberFont);
            number->setFixedSize(kNumberWidth, s);
            number->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
            m_numbers[i] = number;
            grid->addWidget(number, gridRow, 0);

            auto *marker = new PictureButton(PictureButton::Kind::NameMarker, r, this);
            marker->setObjectName(Controls::numbered("imgSOut", r));
            marker->setFixedSize(kMarkerWidth, s);
            m_markers[i] = marker;
            grid->addWidget(marker, gridRow, 1);
        }
        auto *box = new QLineEdit(this);
        box->setObjectName(Controls::numbered(inputs ? "txtIn" : "txtOut", r));
        box->setFixedSize(kNameBoxWidth, s - 3);
        box->setToolTip(inputs ? QStringLiteral("Name of this input; type to rename it")
                               : QStringLiteral("Name of this output; type to rename it"));
        box->installEventFilter(this);
        connect(box, &QLineEdit::editingFinished, this, [this, r] { commit(r); });
        m_boxes[i] = box;
        grid->addWidget(box, gridRow, nameColumn, Qt::AlignVCenter);
    }
    CrosspointPanel::shapeRows(*grid);
    if (!inputs) {
        grid->setColumnMinimumWidth(0, kNumberWidth);
        grid->setColumnMinimumWidth(1, kMarkerWidth);
    }
    grid->setColumnMinimumWidth(nameColumn, kNameBoxWidth);
    connect(&core, &AppCore::namesChanged, this, &NamesPanel::refresh);
}

QLineEdit *NamesPanel::box(int viewIndex) const
{
    return m_boxes.at(static_cast<std::size_t>(viewIndex));
}

QString NamesPanel::nameShown(int viewIndex) const
{
    return box(viewIndex)->text();
}

void NamesPanel::refresh()
{
    const bool inputs = m_side == AppCore::Side::Input;
    try {
        for (int i = 0; i < kViewSize; ++i) {
            const auto n = static_cast<std::size_t>(i);
            const std::string name = inputs ? m_core.InputNameText(i) : m_core.OutputNameText(i);
            if (!inputs)
                m_numbers[n]->setText(QString::number(m_core.OutputOffset() + i + 1));
            m_boxes[n]->setText(QString::fromStdString(name));
        }
    } catch (const std::exception &error) {
        reportFailure("Function UpdateDisplayNames", error);
    }
}

void NamesPanel::applyLayout(int maxIndex)
{
    for (int i = 0; i < kViewSize; ++i) {
        const auto n = static_cast<std::size_t>(i);
        m_boxes[n]->setVisible(i <= maxIndex);
        if (m_numbers[n]) {
            m_numbers[n]->setVisible(i <= maxIndex);
            m_markers[n]->setVisible(i <= maxIndex);
        }
    }
}

void NamesPanel::setControlsEnabled(bool enabled)
{
    for (int i = 0; i < kViewSize; ++i) {
        const auto n = static_cast<std::size_t>(i);
        if (m_numbers[n]) {
            m_numbers[n]->setEnabled(enabled);
            m_markers[n]->setEnabled(enabled);
        }
    }
}

void NamesPanel::commitEditing()
{
    for (int i = 0; i < kViewSize; ++i)
        if (box(i)->hasFocus())
            commit(i);
}

void NamesPanel::commit(int viewIndex)
{
    QLineEdit *edited = box(viewIndex);
    // Only what the operator typed is stored: a box still showing an earlier name must not
    // write it into a rebuilt configuration. Cleared first, so a focus change the commit
    // causes (a message box) finds nothing left to commit.
    if (!edited->isModified())
        return;
    edited->setModified(false);
    const std::string name = edited->text().toStdString();
    if (m_side == AppCore::Side::Input)
        guarded("Function txtIn_LostFocus", [&] { m_core.CommitInputName(viewIndex, name); });
    else
        guarded("Function txtOut_LostFocus", [&] { m_core.CommitOutputName(viewIndex, name); });
}

bool NamesPanel::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::FocusIn) {
        // After the mouse press has placed the cursor, so the selection stays.
        if (auto *edited = qobject_cast<QLineEdit *>(watched))
            QTimer::singleShot(0, edited, [edited] { edited->selectAll(); });
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace corvantis
