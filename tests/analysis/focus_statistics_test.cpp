#include "analysis/focus_statistics.h"

#include <gtest/gtest.h>

#include <QImage>
#include <vector>

namespace {

TEST(FocusStatistics, PeaksFoldIntoMinMaxAverageAndTrend) {
    struct Step {
        uint8_t peak;
        int32_t min, max, avg;
        Rgb trend, digits;
    };
    const Rgb value_100{50, 77, 0};
    // After a restart: four steady peaks, then a rise that the trend shows
    // green, the second time in green digits since the value repeats.
    const Step steps[] = {
        {100, 100, 100, 100, TREND_STEADY, value_100},
        {100, 100, 100, 100, TREND_STEADY, TREND_STEADY},
        {100, 100, 100, 100, TREND_STEADY, TREND_STEADY},
        {100, 100, 100, 100, TREND_STEADY, TREND_STEADY},
        {160, 100, 160, 112, TREND_RISING, Rgb{80, 47, 0}},
        {160, 100, 160, 124, TREND_RISING, TREND_RISING},
        {130, 100, 160, 130, TREND_STEADY, Rgb{65, 62, 0}},
    };
    PeakStatistics stats;
    int32_t shown = 0;
    for (const Step &step : steps) {
        const Rgb trend = AddPeak(stats, step.peak);
        EXPECT_EQ(trend, step.trend) << int(step.peak) << " avg " << stats.Avg;
        EXPECT_EQ(stats.MIN, step.min);
        EXPECT_EQ(stats.MAX, step.max);
        EXPECT_EQ(stats.Avg, step.avg);
        EXPECT_EQ(DigitColour(trend, step.peak, shown), step.digits) << int(step.peak);
        shown = step.peak;
    }

    // A restart takes the next peak as the lowest, highest and average alike.
    stats.MIN = FOCUS_RESTART;
    AddPeak(stats, 42);
    EXPECT_EQ(stats.MIN, 42);
    EXPECT_EQ(stats.MAX, 42);
    EXPECT_EQ(stats.Avg, 42);
    for (uint8_t recent : stats.MAXLST)
        EXPECT_EQ(recent, 42);
}

TEST(FocusStatistics, PeakDigitsTurnFromGreenToRedTowardsSaturation) {
    const std::pair<int32_t, Rgb> rows[] = {
        {0, {255, 0, 0}},   {14, {255, 0, 0}},  {15, {7, 120, 0}},  {100, {50, 77, 0}},
        {247, {123, 4, 0}}, {248, {255, 0, 0}}, {250, {255, 0, 0}}, {255, {255, 0, 0}},
    };
    for (auto [value, colour] : rows)
        EXPECT_EQ(PeakValueColour(value), colour) << value;
}

TEST(FocusStatistics, APickIsScaledToThePictureAndKeptFromItsEdges) {
    struct Row {
        int32_t x, y, scale, shown_width, shown_height;
        PicturePoint expected;
    };
    const Row rows[] = {
        {400, 300, 200, 1280, 960, {200, 150}},
        {5, 5, 100, 640, 480, {30, 30}},
        {639, 479, 100, 640, 480, {610, 450}},
        {10, 10, 25, 160, 120, {40, 40}},
        {1279, 959, 400, 1280, 960, {290, 210}},
        // Outside the picture (a press forwarded from a shape over it).
        {-50, 9000, 100, 640, 480, {30, 450}},
        // Narrower and lower than the margins: the middle.
        {3, 50, 100, 40, 50, {20, 25}},
    };
    for (const Row &row : rows)
        EXPECT_EQ(PickCropCentre(row.x, row.y, row.scale, row.shown_width, row.shown_height),
                  row.expected)
            << row.x << "," << row.y << " at " << row.scale << "%";
}

TEST(FocusStatistics, TheCropCentreStaysInsideAPictureThatShrank) {
    struct Row {
        PicturePoint centre;
        int32_t width, height;
        bool colour;
        PicturePoint expected;
    };
    const Row rows[] = {
        {{5, 5}, 640, 480, false, {20, 20}},
        {{635, 475}, 640, 480, false, {619, 459}},
        {{300, 200}, 640, 480, false, {300, 200}},
        // A colour picture needs the column right of each pixel too.
        {{635, 475}, 640, 479, true, {618, 458}},
        // Picked on a full frame, then binned down to 160 x 120.
        {{1000, 700}, 160, 120, false, {139, 99}},
        // Smaller than the crop: the middle.
        {{1000, 700}, 30, 16, false, {14, 7}},
    };
    for (const Row &row : rows)
        EXPECT_EQ(ClampCropCentre(row.centre, row.width, row.height, row.colour), row.expected)
            << row.width << " x " << row.height;
}

// A dark grey frame with one bright sample at frame column fx, row fy.
std::vector<uint8_t> FrameWithStar(int32_t W, int32_t H, int32_t fx, int32_t fy) {
    std::vector<uint8_t> frame(size_t(W) * H, 10);
    frame[size_t(fy) * W + fx] = 200;
    return frame;
}

TEST(FocusStatistics, TheCropReadsTheSamplesUnderThePixelsShown) {
    constexpr int32_t W = 320, H = 240, fx = 100, fy = 50;
    const std::vector<uint8_t> frame = FrameWithStar(W, H, fx, fy);
    // Frame row 0 is the picture's bottom row; a flip mirrors the columns.
    for (bool flipped : {false, true}) {
        const PicturePoint star{flipped ? W - 1 - fx : fx, H - 1 - fy};
        FocusSamples samples;
        ASSERT_TRUE(SampleFocusCrop(frame.data(), W, H, false, flipped, star, samples));
        EXPECT_EQ(samples.peak, 200);
        EXPECT_EQ(samples.low, 10);
        EXPECT_EQ(samples.grid[FOCUS_HALF * FOCUS_CROP + FOCUS_HALF], 200) << flipped;
        // Two pixels right and one down in the picture.
        const PicturePoint beside{star.x - 2, star.y + 1};
        ASSERT_TRUE(SampleFocusCrop(frame.data(), W, H, false, flipped, beside, samples));
        EXPECT_EQ(samples.grid[(FOCUS_HALF - 1) * FOCUS_CROP + FOCUS_HALF + 2], 200) << flipped;
    }
}

TEST(FocusStatistics, AColourPixelReadsTheMeanOfItsBayerCell) {
    constexpr int32_t W = 64, H = 48, left = 30, bottom = 20;
    std::vector<uint8_t> frame(size_t(W) * H, 0);
    frame[bottom * W + left] = 40;
    frame[bottom * W + left + 1] = 80;
    frame[(bottom + 1) * W + left] = 120;
    frame[(bottom + 1) * W + left + 1] = 160;
    // The colour picture is one row lower than the mosaic.
    const int32_t y = H - 2 - bottom;
    for (bool flipped : {false, true}) {
        const PicturePoint cell{flipped ? W - 2 - left : left, y};
        FocusSamples samples;
        ASSERT_TRUE(SampleFocusCrop(frame.data(), W, H, true, flipped, cell, samples));
        EXPECT_EQ(samples.grid[FOCUS_HALF * FOCUS_CROP + FOCUS_HALF], 100) << flipped;
        EXPECT_EQ(samples.peak, 100);
    }
}

TEST(FocusStatistics, FramesSmallerThanTheCropOrABayerCellAreSafe) {
    struct Row {
        int32_t W, H;
        bool colour, sampled;
        uint8_t peak;
    };
    const Row rows[] = {
        {10, 10, false, true, 99}, {1, 1, false, true, 0}, {2, 2, true, true, 1},
        {1, 5, true, false, 0},    {5, 1, true, false, 0}, {0, 0, false, false, 0},
        {12, 3, true, true, 28},
    };
    for (const Row &row : rows) {
        std::vector<uint8_t> frame(size_t(row.W) * row.H + 1);
        for (size_t k = 0; k + 1 < frame.size(); ++k)
            frame[k] = uint8_t(k);
        FocusSamples samples;
        const PicturePoint centre =
            ClampCropCentre({500, 500}, row.W, row.H - (row.colour ? 1 : 0), row.colour);
        ASSERT_EQ(SampleFocusCrop(frame.data(), row.W, row.H, row.colour, false, centre, samples),
                  row.sampled)
            << row.W << " x " << row.H;
        if (row.sampled) {
            EXPECT_EQ(samples.peak, row.peak) << row.W << " x " << row.H;
        }
    }
}

TEST(FocusStatistics, TheCropPictureIsCopiedTopRowFirstAndRepeatsTheEdges) {
    Bitmap24 picture(3, 2);
    // Bottom row blue, top row red (the bitmap's rows run bottom-up).
    for (int32_t x = 0; x < 3; ++x) {
        uint8_t *bottom = picture.Row(0) + 3 * x;
        uint8_t *top = picture.Row(1) + 3 * x;
        bottom[0] = 255, bottom[1] = 0, bottom[2] = 0;
        top[0] = 0, top[1] = 0, top[2] = 255;
    }
    QImage crop(FOCUS_CROP, FOCUS_CROP, QImage::Format_RGB32);
    CopyCropPicture(picture, {1, 0}, crop);
    EXPECT_EQ(crop.pixel(FOCUS_HALF, FOCUS_HALF), qRgb(255, 0, 0));
    EXPECT_EQ(crop.pixel(0, 0), qRgb(255, 0, 0));
    EXPECT_EQ(crop.pixel(FOCUS_CROP - 1, FOCUS_CROP - 1), qRgb(0, 0, 255));
}

TEST(FocusStatistics, ThePlotRisesFromTheCropsLowestSample) {
    FocusSamples samples;
    samples.low = 20;
    samples.peak = 120;
    const PlotScale scale = PlotScaleFor(samples);
    EXPECT_EQ(scale.colour_scale_high, 40);
    EXPECT_EQ(scale.z_high, 110);
}

}  // namespace
