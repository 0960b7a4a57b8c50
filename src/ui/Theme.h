#pragma once

#include <QColor>
#include <QPalette>

class QApplication;

namespace corvantis {

// The program's dark look, shared by the main window and its dialogs: the setup dialog's
// background and text, darker boxes, and one colour per routing level.
class Theme {
public:
    static const QColor kBackground;
    static const QColor kText;
    static const QColor kDisabledText;
    static const QColor kBright;
    static const QColor kBase;
    static const QColor kButton;
    static const QColor kOutline;
    static const QColor kGrid;
    static const QColor kGridLine;
    static const QColor kGridMajorLine;
    static const QColor kHover;
    static const QColor kFocus;
    // The routing levels: video only, audio only, all levels.
    static const QColor kVideo;
    static const QColor kAudio;
    static const QColor kAllLevels;
    static const QColor kError;
    // How far a crosspoint is trusted: asked for, not accepted, not known any more.
    static const QColor kPending;
    static const QColor kFailed;
    static const QColor kStale;
    // The model caption's shadow, the blinking record label, a port that was found.
    static const QColor kShadow;
    static const QColor kRecording;
    static const QColor kFound;

    static QPalette palette();
    // Fusion style with the palette, so menus and dialogs match the windows.
    static void apply(QApplication &application);
};

} // namespace corvantis
