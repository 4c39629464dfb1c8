#pragma once

#include <QPoint>
#include <QSize>
#include <cstdint>

class QImage;

struct ChannelGains {
    int32_t red = 0;
    int32_t green = 0;
    int32_t blue = 0;
};

// Channel gains from the gain slider and the three balance sliders: in colour
// mode the largest slider gets the full gain and the others their share of
// it; in grey mode all three get the gain.
ChannelGains ComputeChannelGains(int32_t red, int32_t green, int32_t blue, int32_t gain,
                                 bool colour);

struct BalancePositions {
    int32_t red = 0;
    int32_t green = 0;
    int32_t blue = 0;
};

// White balance from the 11 x 11 pixels around (x, y) of `picture` (the
// picture as drawn: mirrored and stretched, in its own pixels): green and
// blue are scaled so the patch comes out as grey as red sees it, then all
// three are scaled down together if one passes 100.
BalancePositions WhiteBalanceFromPatch(const QImage &picture, int32_t x, int32_t y,
                                       BalancePositions current);

// The picture pixel under a point of the picture as shown at `shown_size`
// (zoomed, in the window's logical pixels, whatever the screen's scale).
QPoint PicturePixelAt(QPoint shown_at, QSize shown_size, QSize picture_size);
