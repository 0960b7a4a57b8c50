#include "ui/Theme.h"

#include <QApplication>
#include <QStyle>
#include <QStyleFactory>

namespace corvantis {

const QColor Theme::kBackground(0x40, 0x40, 0x40);
const QColor Theme::kText(0xC0, 0xC0, 0xC0);
const QColor Theme::kDisabledText(0x80, 0x80, 0x80);
const QColor Theme::kBright(0xEC, 0xEC, 0xEC);
const QColor Theme::kBase(0x2B, 0x2B, 0x2B);
const QColor Theme::kButton(0x52, 0x52, 0x52);
const QColor Theme::kOutline(0x60, 0x60, 0x60);
const QColor Theme::kGrid(0x2E, 0x2E, 0x2E);
const QColor Theme::kGridLine(0x3C, 0x3C, 0x3C);
const QColor Theme::kGridMajorLine(0x56, 0x56, 0x56);
const QColor Theme::kHover(0xFF, 0xFF, 0xFF, 0x14);
const QColor Theme::kFocus(0xE8, 0xE8, 0xE8);
const QColor Theme::kVideo(0xF2, 0xB1, 0x34);
const QColor Theme::kAudio(0x52, 0xB4, 0xF5);
const QColor Theme::kAllLevels(0x5C, 0xD1, 0x6E);
const QColor Theme::kError(0xF0, 0x98, 0x88);
const QColor Theme::kPending(0xF0, 0xC0, 0x40);
const QColor Theme::kFailed(0xE8, 0x40, 0x30);
const QColor Theme::kStale(0x70, 0x70, 0x78);
const QColor Theme::kShadow(0x18, 0x18, 0x18);
const QColor Theme::kRecording(0xF0, 0x50, 0x50);
const QColor Theme::kFound(0x90, 0xD8, 0x90);

QPalette Theme::palette()
{
    QPalette p;
    p.setColor(QPalette::Window, kBackground);
    p.setColor(QPalette::WindowText, kText);
    p.setColor(QPalette::Base, kBase);
    p.setColor(QPalette::AlternateBase, kBackground.darker(115));
    p.setColor(QPalette::Text, kBright);
    p.setColor(QPalette::PlaceholderText, kDisabledText);
    p.setColor(QPalette::Button, kButton);
    p.setColor(QPalette::ButtonText, kBright);
    p.setColor(QPalette::BrightText, Qt::white);
    p.setColor(QPalette::ToolTipBase, QColor(0x24, 0x24, 0x24));
    p.setColor(QPalette::ToolTipText, kBright);
    p.setColor(QPalette::Highlight, QColor(0x3D, 0x7E, 0xB8));
    p.setColor(QPalette::HighlightedText, Qt::white);
    p.setColor(QPalette::Link, kAudio);
    p.setColor(QPalette::Light, kButton.lighter(130));
    p.setColor(QPalette::Midlight, kButton.lighter(115));
    p.setColor(QPalette::Mid, kOutline);
    p.setColor(QPalette::Dark, QColor(0x24, 0x24, 0x24));
    p.setColor(QPalette::Shadow, Qt::black);
    for (auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        p.setColor(QPalette::Disabled, role, kDisabledText);
    p.setColor(QPalette::Disabled, QPalette::Base, kBackground);
    p.setColor(QPalette::Disabled, QPalette::Button, kBackground.lighter(110));
    return p;
}

void Theme::apply(QApplication &application)
{
    if (QStyle *fusion = QStyleFactory::create(QStringLiteral("Fusion")))
        QApplication::setStyle(fusion);
    application.setPalette(palette());
}

} // namespace corvantis
