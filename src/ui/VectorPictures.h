#pragma once

#include <QColor>
#include <QRectF>

class QPainter;

namespace corvantis {

// Every picture of the main window, drawn with QPainter so it stays sharp at any scale.
class VectorPictures {
public:
    // The four crosspoint pictures.
    enum CellPicture { kEmpty = 0, kVideo = 1, kAudio = 2, kAllLevels = 3 };

    struct ButtonState {
        bool enabled = true;
        bool hovered = false;
        bool pressed = false;
    };

    // How far a cell's marker can be trusted. A pending cell shows the input asked for, beside
    // the marker of the input that still holds; the others mark the holding input. Each is a
    // shape of its own, so they are told apart without colour too.
    enum TruthMark { kConfirmed = 0, kPending = 1, kFailed = 2, kStale = 3, kPreset = 4 };

    static void paintCell(QPainter &painter, const QRectF &cell, int picture);
    // Drawn over the cell's picture.
    static void paintTruth(QPainter &painter, const QRectF &cell, int mark);
    // The selector tab of an input row (arrow to the right) or an output column (arrow down).
    static void paintSelector(QPainter &painter, const QRectF &rect, bool pointsDown,
                              ButtonState state);
    // The small marker beside an output name.
    static void paintNameMarker(QPainter &painter, const QRectF &rect, bool enabled);
    // Level selector 0 video, 1 audio, 2 all levels, raised or pressed in.
    static void paintLevel(QPainter &painter, const QRectF &rect, int index, bool down,
                           ButtonState state);
    // The link symbol beside the online lamp.
    static void paintAlive(QPainter &painter, const QRectF &rect);
    // A small padlock in the rectangle's top right corner: the output is locked.
    static void paintLockMark(QPainter &painter, const QRectF &rect);
    static void paintLamp(QPainter &painter, const QRectF &rect, const QColor &colour);

    static QColor levelColour(int index);
    static QString levelText(int index);
};

} // namespace corvantis
