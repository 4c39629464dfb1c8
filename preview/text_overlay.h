#pragma once

#include <QColor>
#include <QFont>
#include <QRect>
#include <QString>
#include <cstdint>
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

// The same stamp burned into a deep frame's samples (`bit_depth` 9 ... 16,
// rows as the frame holds them, the first at the picture's bottom), for
// files that keep the camera's samples: each sample of the box takes the
// stamp's 8-bit value spread over the depth (255 is the depth's maximum).
// On a colour camera's raw mosaic (`mosaic`, G R / B G from the first row)
// that is the value of the sample's own colour, so the stamp keeps its
// colours once the mosaic is demosaiced; on a mono frame it is the blue
// channel's, as in an 8-bit FITS of the picture. Does nothing while the
// overlay is off.
void DrawDeepStamp(uint16_t *samples, int32_t width, int32_t height, int32_t bit_depth, bool mosaic,
                   std::string_view text, const OverlayLook &look);
