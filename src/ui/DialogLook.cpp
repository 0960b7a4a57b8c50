#include "ui/DialogLook.h"

#include <QColor>
#include <QLabel>
#include <QPalette>
#include <QPushButton>
#include <QString>
#include <QWidget>

namespace corvantis {

namespace {

const QColor kBackground(0x40, 0x40, 0x40);
const QColor kText(0xC0, 0xC0, 0xC0);
const QColor kDisabledText(0x80, 0x80, 0x80);
constexpr int kButtonMinimumWidth = 84;

} // namespace

QColor DialogLook::background()
{
    return kBackground;
}

QColor DialogLook::text()
{
    return kText;
}

void DialogLook::Apply(QWidget *window)
{
    window->setAutoFillBackground(true);
    QPalette palette = window->palette();
    palette.setColor(QPalette::Window, kBackground);
    palette.setColor(QPalette::Active, QPalette::WindowText, kText);
    palette.setColor(QPalette::Inactive, QPalette::WindowText, kText);
    palette.setColor(QPalette::Disabled, QPalette::WindowText, kDisabledText);
    window->setPalette(palette);
}

QColor DialogLook::FromColourValue(int colourValue)
{
    if (colourValue < 0)
        return kText;
    return QColor(colourValue & 0xFF, (colourValue >> 8) & 0xFF, (colourValue >> 16) & 0xFF);
}

void DialogLook::SetTextColour(QLabel *label, int colourValue)
{
    const QColor colour = FromColourValue(colourValue);
    QPalette palette = label->palette();
    palette.setColor(QPalette::Active, QPalette::WindowText, colour);
    palette.setColor(QPalette::Inactive, QPalette::WindowText, colour);
    label->setPalette(palette);
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
