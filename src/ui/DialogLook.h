#pragma once

class QColor;
class QLabel;
class QPushButton;
class QString;
class QWidget;

namespace corvantis {

// The dark look of the setup dialog, shared by the small dialogs it opens; the colours are
// the Theme's.
class DialogLook {
public:
    // Dark background and light text for the window and everything in it.
    static void Apply(QWidget *window);
    // A label's own text colour; a colour value of -1 gives the look's text colour back.
    static void SetTextColour(QLabel *label, int colourValue);
    // 0xBBGGRR as the dialogs' colour values are written.
    static QColor FromColourValue(int colourValue);
    static QPushButton *MakeButton(const QString &text, const QString &name, QWidget *parent);
};

} // namespace corvantis
