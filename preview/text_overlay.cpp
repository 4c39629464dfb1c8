#include "preview/text_overlay.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <algorithm>

#include "pixels/demosaic.h"

namespace {

constexpr int STAMP_LEFT = 10;
constexpr int STAMP_TOP = 10;
constexpr int BOX_TOP = 8;
constexpr int BOX_MARGIN = 4;
constexpr double OVERLAY_FONT_POINTS = 12;
// Text is laid out at 96 dots per inch whatever the screen, so a 12 pt stamp
// is the same size on screen, in files and from the command line.
constexpr int DOTS_PER_METRE = 3780;

// The bitmap's memory seen as a picture for drawing, without a copy.
QImage WrapBitmap(Bitmap24 &bitmap) {
    QImage picture(bitmap.Bits(), bitmap.Width(), bitmap.Height(), bitmap.Stride(),
                   QImage::Format_BGR888);
    picture.setDotsPerMeterX(DOTS_PER_METRE);
    picture.setDotsPerMeterY(DOTS_PER_METRE);
    return picture;
}

QRect BoxFor(const QString &text, const QFontMetrics &metrics) {
    return QRect(STAMP_LEFT, BOX_TOP, metrics.horizontalAdvance(text) + BOX_MARGIN,
                 metrics.height() + BOX_MARGIN);
}

}  // namespace

QFont DefaultOverlayFont() {
    // A family name alone is not enough: fontconfig answers "Courier New" with
    // whatever it aliases it to, and on some desktops that is not fixed width.
    // Each candidate is taken only when the font actually matched is.
    static const char *const families[] = {
        "Courier New", "DejaVu Sans Mono", "Liberation Mono", "Noto Mono",
        "Noto Sans Mono", "Nimbus Mono PS", "FreeMono", "Courier",
    };
    for (const char *family : families) {
        QFont font(QString::fromLatin1(family));
        font.setStyleHint(QFont::Monospace);
        font.setFixedPitch(true);
        font.setPointSizeF(OVERLAY_FONT_POINTS);
        if (QFontDatabase::hasFamily(font.family()) && QFontInfo(font).fixedPitch()) {
            return font;
        }
    }
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setStyleHint(QFont::Monospace);
    font.setPointSizeF(OVERLAY_FONT_POINTS);
    return font;
}

QRect StampBox(const QString &text, const QFont &font) {
    QImage probe(1, 1, QImage::Format_BGR888);
    probe.setDotsPerMeterX(DOTS_PER_METRE);
    probe.setDotsPerMeterY(DOTS_PER_METRE);
    return BoxFor(text, QFontMetrics(font, &probe));
}

void DrawStamp(Bitmap24 &bitmap, std::string_view text, const OverlayLook &look) {
    if (!look.visible || bitmap.Width() <= 0 || bitmap.Height() <= 0) {
        return;
    }
    QImage picture = WrapBitmap(bitmap);
    const QString stamp = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    const QFontMetrics metrics(look.font, &picture);
    const QRect box = BoxFor(stamp, metrics);

    QPainter painter(&picture);
    // The bitmap's first row is the picture's bottom: turned upside down, the
    // painter's (0, 0) is the picture's top-left corner as it is shown.
    painter.translate(0, bitmap.Height());
    painter.scale(1, -1);
    painter.fillRect(box, look.background);
    // The outline as four one-pixel strips, which land on exact rows and
    // columns however the painter is turned.
    painter.fillRect(QRect(box.left(), box.top(), box.width(), 1), Qt::black);
    painter.fillRect(QRect(box.left(), box.bottom(), box.width(), 1), Qt::black);
    painter.fillRect(QRect(box.left(), box.top(), 1, box.height()), Qt::black);
    painter.fillRect(QRect(box.right(), box.top(), 1, box.height()), Qt::black);
    painter.setFont(look.font);
    painter.setPen(look.text_colour);
    painter.drawText(QPoint(STAMP_LEFT, STAMP_TOP + metrics.ascent()), stamp);
}

void DrawDeepStamp(uint16_t *samples, int32_t width, int32_t height, int32_t bit_depth, bool mosaic,
                   std::string_view text, const OverlayLook &look) {
    if (!look.visible || samples == nullptr || width <= 0 || height <= 0) {
        return;
    }
    const QString stamp = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    const QRect box = StampBox(stamp, look.font).intersected(QRect(0, 0, width, height));
    if (box.isEmpty()) {
        return;
    }
    // Drawn on an 8-bit picture of the corner the box covers, which cuts the
    // text where the frame's edge would, then taken over sample by sample.
    Bitmap24 corner(box.right() + 1, box.bottom() + 1);
    DrawStamp(corner, text, look);
    const uint32_t maximum = (1u << std::clamp(bit_depth, 9, 16)) - 1;
    for (int y = box.top(); y <= box.bottom(); ++y) {
        const uint8_t *pixels = corner.Row(corner.Height() - 1 - y);
        const int32_t row = height - 1 - y;
        uint16_t *out = samples + static_cast<size_t>(row) * width;
        for (int x = box.left(); x <= box.right(); ++x) {
            // The picture's bytes are blue, green, red.
            const int byte = mosaic ? 2 - simcam::MosaicChannel(x, row) : 0;
            out[x] = static_cast<uint16_t>((pixels[3 * x + byte] * maximum + 127) / 255);
        }
    }
}
