#include "analysis/measurement.h"

#include <gtest/gtest.h>

#include <QImage>

TEST(DistanceText, PixelsAndAngleOnTheSky) {
    struct Row {
        double pixels;
        MeasureUnit unit;
        double focal_length;
        const char *text;
    };
    const Row rows[] = {
        {12.34, MeasureUnit::Pixels, 300, "Distance 12.3 pixels"},
        {0, MeasureUnit::Pixels, 300, "Distance 0.0 pixels"},
        {100, MeasureUnit::ArcSeconds, 300, "357.5 arc seconds ( 0\u00b0  5' 57.5)"},
        {10, MeasureUnit::ArcSeconds, 1, "10725.8 arc seconds ( 2\u00b0 58' 45.8)"},
        // 1072.578 mm makes one pixel one arc second. 59.97 shows as a whole
        // minute, not as 60.0 seconds.
        {59.97, MeasureUnit::ArcSeconds, 1072.578, " 60.0 arc seconds ( 0\u00b0  1' 0.0)"},
        {3599.96, MeasureUnit::ArcSeconds, 1072.578, "3600.0 arc seconds ( 1\u00b0  0' 0.0)"},
    };
    for (const Row &row : rows) {
        EXPECT_EQ(DistanceText(row.pixels, row.unit, row.focal_length).toStdString(),
                  std::string(row.text));
    }
}

// The same stretch of sky at every zoom and binning: 267 sensor pixels are
// 954.6 arc seconds at 300 mm however the picture shows them.
TEST(DistanceText, MeasuresUnbinnedSensorPixelsWhateverTheZoomAndBinning) {
    struct Row {
        double picture_pixels;
        int32_t scale_percent, binning_shift;
    };
    for (const Row &row : {Row{267, 100, 0}, Row{534, 200, 0}, Row{1068, 400, 0}, Row{66.75, 25, 0},
                           Row{133.5, 100, 1}, Row{267, 200, 1}, Row{66.75, 100, 2}}) {
        const double sensor =
            SensorPixels(row.picture_pixels, row.scale_percent, row.binning_shift);
        EXPECT_DOUBLE_EQ(sensor, 267.0) << row.scale_percent << " % shift " << row.binning_shift;
        EXPECT_EQ(DistanceText(sensor, MeasureUnit::ArcSeconds, 300).toStdString(),
                  "954.6 arc seconds ( 0\u00b0 15' 54.6)");
    }
}

TEST(DistanceText, FocalLengthsThatAreNotUsableBecomeOneMillimetre) {
    struct Row {
        const char *text;
        double focal_length;
        bool replaced;
    };
    const Row rows[] = {
        {"300", 300, false}, {" 1200 ", 1200, false}, {"10", 10, false}, {"2500.5", 2500.5, false},
        {"9.99", 1, true},   {"5", 1, true},          {"0", 1, true},    {"-500", 1, true},
        {"", 1, true},       {"abc", 1, true},        {"30O", 1, true},  {"inf", 1, true},
        {"nan", 1, true},    {"1e999", 1, true},
    };
    for (const Row &row : rows) {
        bool replaced = !row.replaced;
        EXPECT_DOUBLE_EQ(FocalLengthFromText(QString::fromLatin1(row.text), &replaced),
                         row.focal_length)
            << row.text;
        EXPECT_EQ(replaced, row.replaced) << row.text;
    }
}

TEST(ProfileRange, MovesOnlyAfterThreeFramesAgree) {
    struct Offer {
        int32_t low, high;
        int32_t expect_low, expect_high;
    };
    const Offer offers[] = {
        {40, 200, 40, 200},  // unset: taken at once
        {40, 180, 40, 200}, {20, 180, 40, 200},
        {20, 160, 40, 160},                      // third lower high in a row: the latest is taken
        {20, 220, 20, 160},                      // the low bound counts on its own: its third
        {0, 140, 20, 160},  {20, 220, 20, 160},  // directions alternate: nothing moves
        {40, 220, 20, 160}, {40, 220, 20, 220},
        {40, 220, 40, 220},
    };
    ProfileRange range;
    EXPECT_EQ(range.Low(), ProfileRange::UNSET);
    int frame = 0;
    for (const Offer &offer : offers) {
        range.Offer(offer.low, offer.high);
        EXPECT_EQ(range.Low(), offer.expect_low) << "frame " << frame;
        EXPECT_EQ(range.High(), offer.expect_high) << "frame " << frame;
        ++frame;
    }
    range.Reset();
    range.Offer(60, 100);
    EXPECT_EQ(range.Low(), 60);
    EXPECT_EQ(range.High(), 100);
}

namespace {

// A picture whose red component is its column, its green the row.
QImage Ramp(int w = 200, int h = 100) {
    QImage picture(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            picture.setPixel(x, y, qRgb(x % 256, y % 256, 0));
    return picture;
}

}  // namespace

TEST(Profile, StepsAlongTheLineUntilItsEnd) {
    Profile profile;
    TraceProfile(Ramp(), 100, QPoint(10, 50), QPoint(110, 50), profile);
    // The walk stops as soon as it is within 1.5 pixels of the end: step 99.
    ASSERT_EQ(profile.points.size(), 100u);
    EXPECT_EQ(profile.points[0], QPointF(1, 10));  // the start pixel, drawn at x = 1
    EXPECT_EQ(profile.points[1], QPointF(1, 11));
    EXPECT_EQ(profile.points.back(), QPointF(99, 109));
    EXPECT_EQ(profile.steps, 100);
    EXPECT_EQ(profile.low, 10);
    EXPECT_EQ(profile.peak, 109);
    EXPECT_EQ(profile.WantedLow(), 0);
    EXPECT_EQ(profile.WantedHigh(), 120);

    // Backwards and steep: the longer side sets the steps, halves round to even.
    TraceProfile(Ramp(), 100, QPoint(50, 90), QPoint(40, 10), profile);
    EXPECT_EQ(profile.steps, 80);
    EXPECT_EQ(profile.points[4], QPointF(4, 50));    // 50 - 4 * 10 / 80 = 49.5 -> 50
    EXPECT_EQ(profile.points[12], QPointF(12, 48));  // 48.5 -> 48
}

TEST(Profile, ShortLinesHaveNoneOthersReadThePictureAsShown) {
    struct Row {
        const char *name;
        int32_t scale;
        QPoint start, end;
        size_t points;
        int32_t first, last;
    };
    const Row rows[] = {
        {"20 pixels is too short", 100, {10, 10}, {30, 25}, 0, 0, 0},
        // Ends beyond the picture read its edge instead of memory beside it.
        {"beyond the edges", 100, {-50, 50}, {400, 50}, 450, 0, 199},
        // At 200 % shown pixel x is picture pixel x / 2.
        {"zoomed", 200, {0, 20}, {100, 20}, 100, 0, 49},
    };
    for (const Row &row : rows) {
        Profile profile;
        TraceProfile(Ramp(), row.scale, row.start, row.end, profile);
        ASSERT_EQ(profile.points.size(), row.points) << row.name;
        if (row.points == 0) {
            EXPECT_EQ(profile.steps, 1);
            EXPECT_EQ(profile.WantedLow(), 980);
            EXPECT_EQ(profile.WantedHigh(), 20);
            continue;
        }
        EXPECT_EQ(profile.points.front().y(), row.first) << row.name;
        EXPECT_EQ(profile.points.back().y(), row.last) << row.name;
    }
}

TEST(MeasurementLine, PressDragReleaseAndZoom) {
    MeasurementLine line;
    EXPECT_FALSE(line.HasLine());
    EXPECT_FALSE(line.Drag(QPoint(5, 5))) << "no drag without a press";
    line.Press(QPoint(10, 20));
    EXPECT_TRUE(line.HasLine());
    EXPECT_EQ(line.Length(), 0);
    EXPECT_TRUE(line.Drag(QPoint(40, 60)));
    EXPECT_EQ(line.Length(), 50);
    line.Release(true);
    EXPECT_FALSE(line.Dragging());
    EXPECT_FALSE(line.Drag(QPoint(0, 0)));
    EXPECT_EQ(line.End(), QPoint(40, 60));

    // The same sky distance reads twice as many pixels at twice the zoom.
    line.Rescale(100, 200);
    EXPECT_EQ(line.Start(), QPoint(20, 40));
    EXPECT_EQ(line.End(), QPoint(80, 120));
    EXPECT_EQ(line.Length(), 100);
    line.Rescale(200, 25);
    EXPECT_EQ(line.End(), QPoint(10, 15));

    line.Press(QPoint(1, 1));
    line.Release(false);
    EXPECT_FALSE(line.HasLine()) << "released with the window closed";
}
