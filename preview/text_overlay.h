#pragma once

#include <QColor>
#include <QFont>
#include <QRect>
#include <QString>
#include <string_view>

#include "platform/bitmap24.h"

// The overlay font before the observer chooses one: Courier New, 12 pt, or
// where that is missing or not fixed width, the first well-known monospace
// family that is, and the system's fixed-width font after those.
// Needs the GUI application object (the font database).
QFont DefaultOverlayFont();

// How the time stamp is drawn. Belongs to the thread that draws: the GUI
// thread of the program, the main thread of the command-line capture.
struct OverlayLook {
    bool visible = false;  // "Visible" in the overlay menu
    QFont font;            // the owner sets DefaultOverlayFont() once the application exists
    QColor text_colour = Qt::white;
    QColor background = Qt::black;
};

// The box drawn behind `text`, in picture coordinates (row 0 at the top):
// from (10, 8), four pixels wider and higher than the text as `font` sets it.
QRect StampBox(const QString &text, const QFont &font);

// Burns `text` (UTF-8) into the top-left corner of the picture: the box in
// the background colour with a one-pixel black outline, the text's top-left
// corner at (10, 10). Does nothing while the overlay is off. Text beyond the
// picture's edges is cut off. Needs the GUI application object.
void DrawStamp(Bitmap24 &bitmap, std::string_view text, const OverlayLook &look);
