#pragma once

#include <QString>

class QColor;
class QLabel;
class QWidget;

namespace corvantis {

// How the windows make and colour their plain controls, so every window names and colours
// them alike.
namespace Controls {

// The name of a control array's member: "txtIn_3".
QString numbered(const char *name, int index);
QLabel *makeLabel(const QString &text, QWidget *parent, const QString &name = {});
// The control's own text colour; disabled it greys as every control of the theme does.
void setTextColour(QWidget *widget, const QColor &colour);

} // namespace Controls

} // namespace corvantis
