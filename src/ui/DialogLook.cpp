#include "ui/DialogLook.h"

#include "ui/Controls.h"
#include "ui/Theme.h"

#include <QColor>
#include <QLabel>
#include <QPalette>
#include <QPushButton>
#include <QString>
#include <QWidget>

namespace corvantis {

namespace {

constexpr int kButtonMinimumWidth = 84;

} // namespace

void DialogLook::Apply(QWidget *window)
{
    window->setAutoFillBackground(true);
    QPalette palette = window->palette();
    palette.setColor(QPalette::Window, Theme::kBackground);
    window->setPalette(palette);
    Controls::setTextColour(window, Theme::kText);
}

QColor DialogLook::FromColourValue(int colourValue)
{
    if (colourValue < 0)
        return Theme::kText;
    return QColor(colourValue & 0xFF, (colourValue >> 8) & 0xFF, (colourValue >> 16) & 0xFF);
}

void DialogLook::SetTextColour(QLabel *label, int colourValue)
{
    Controls::setTextColour(label, FromColourValue(colourValue));
}

QPushButton *DialogLook::MakeButton(const QString &text, const QString &name, QWidget *parent)
{
    auto *button = new QPushButton(text, parent);
    button->setObjectName(name);
    button->setMinimumWidth(kButtonMinimumWidth);
    button->setAutoDefault(false);
    return button;
}

} // namespace corvantis
