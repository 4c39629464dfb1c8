#include "preview/colour_balance.h"

#include <QImage>
#include <algorithm>

#include "platform/rounding.h"

ChannelGains ComputeChannelGains(int32_t red, int32_t green, int32_t blue, int32_t gain,
                                 bool colour) {
    if (!colour) {
        return {gain, gain, gain};
    }
    int32_t m = std::max({red, green, blue});
    if (m == 0) {
        m = 1;
    }
    auto share = [&](int32_t position) {
        return RoundHalfEven(static_cast<double>(position) / m * gain);
    };
    return {share(red), share(green), share(blue)};
}

QPoint PicturePixelAt(QPoint shown_at, QSize shown_size, QSize picture_size) {
    auto map = [](int32_t at, int32_t shown, int32_t own) {
        if (shown <= 0 || own <= 0) {
            return 0;
        }
        const int64_t pixel = int64_t{std::clamp(at, 0, shown - 1)} * own / shown;
        return static_cast<int32_t>(pixel);
    };
    return {map(shown_at.x(), shown_size.width(), picture_size.width()),
            map(shown_at.y(), shown_size.height(), picture_size.height())};
}

BalancePositions WhiteBalanceFromPatch(const QImage &picture, int32_t x, int32_t y,
                                       BalancePositions current) {
    x = std::max(10, std::min(x, picture.width() - 10));
    y = std::max(10, std::min(y, picture.height() - 10));
    int64_t sum_red = 0;
    int64_t sum_green = 0;
    int64_t sum_blue = 0;
    for (int32_t py = y - 5; py <= y + 5; ++py) {
        for (int32_t px = x - 5; px <= x + 5; ++px) {
            // Pixels off a picture smaller than the patch count as black.
            if (px < 0 || py < 0 || px >= picture.width() || py >= picture.height()) {
                continue;
            }
            const QRgb pixel = picture.pixel(px, py);
            sum_red += qRed(pixel);
            sum_green += qGreen(pixel);
            sum_blue += qBlue(pixel);
        }
    }
    const double r = static_cast<double>(sum_red / 121 + 1);
    const double g = static_cast<double>(sum_green / 121 + 1);
    const double b = static_cast<double>(sum_blue / 121 + 1);

    double red = current.red;
    double green = RoundHalfEven(current.green * r / g);
    double blue = RoundHalfEven(current.blue * r / b);
    const double largest = std::max({red, green, blue});
    if (largest > 100) {
        red = RoundHalfEven(red / largest * 100);
        green = RoundHalfEven(green / largest * 100);
        blue = RoundHalfEven(blue / largest * 100);
    }
    return {static_cast<int32_t>(red), static_cast<int32_t>(green), static_cast<int32_t>(blue)};
}
