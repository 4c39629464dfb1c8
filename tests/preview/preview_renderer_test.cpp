#include "preview/preview_renderer.h"

#include <gtest/gtest.h>

#include "camera/frame_conversion.h"
#include "pixels/picture_conversion.h"
#include "preview/saturation_mark.h"

namespace {

class FakeView : public PreviewView {
  public:
    void ShowPicture(const QImage *picture, int32_t display_width,
                     int32_t display_height) override {
        shown = picture;
        width = display_width;
        height = display_height;
        ++calls;
    }
    void ShowMeasurementLine(const QLine *shown_line) override {
        line_shown = shown_line != nullptr;
        if (shown_line)
            line = *shown_line;
    }
    const QImage *shown = nullptr;
    bool line_shown = false;
    QLine line;
    int32_t width = 0;
    int32_t height = 0;
    int calls = 0;
};

class FakeHistogram : public HistogramView {
  public:
    bool Visible() const override { return visible; }
    void HUpdate(const uint8_t *given, int32_t given_width, bool given_color,
                 int32_t given_rows) override {
        samples = given;
        width = given_width;
        color = given_color;
        rows = given_rows;
        ++calls;
    }
    bool visible = true;
    const uint8_t *samples = nullptr;
    int32_t width = 0, rows = 0;
    bool color = false;
    int calls = 0;
};

class FakeMeasurement : public MeasurementView {
  public:
    bool Visible() const override { return visible; }
    void ShowProfile(const Profile &given, const ProfileRange &given_range) override {
        profile = given;
        range = given_range;
        ++profiles;
    }
    void ShowDistance(double pixels) override { distance = pixels; }
    bool visible = true;
    Profile profile;
    ProfileRange range;
    int profiles = 0;
    double distance = -1;
};

class RendererTest : public ::testing::Test {
  protected:
    void SetUp() override {
        renderer.Init();
        renderer.__FORMIMAGE = &view;
    }
    // A 640 x 480 grey ramp, left dark to right bright, ready to render.
    void PendingRamp(int32_t w = 640, int32_t h = 480) {
        std::vector<uint8_t> samples(size_t(w) * h);
        for (int32_t y = 0; y < h; ++y)
            for (int32_t x = 0; x < w; ++x)
                samples[size_t(y) * w + x] = uint8_t(x * 255 / (w - 1));
        GreyToBitmap(samples.data(), w, h, input.working_bitmap);
        input.preview_busy = PREVIEW_PENDING;
    }

    PreviewInput input;
    TPREVIEW renderer{input};
    FakeView view;
    FakeHistogram histogram;
    FakeMeasurement measurement;
};

TEST_F(RendererTest, DoesNothingWhenNoFrameIsPending) {
    renderer.UpdateCaption();
    EXPECT_EQ(view.calls, 0);
}

TEST_F(RendererTest, ShowsTheFrameAtTheZoomAndReturnsToIdle) {
    struct Row {
        int32_t scale, width, height;
    };
    for (const Row row : {Row{25, 160, 120}, Row{100, 640, 480}, Row{400, 2560, 1920}}) {
        PendingRamp();
        renderer._SCALE = row.scale;
        renderer.UpdateCaption();
        EXPECT_EQ(view.width, row.width) << row.scale;
        EXPECT_EQ(view.height, row.height) << row.scale;
        EXPECT_EQ(input.preview_busy, PREVIEW_IDLE);
        ASSERT_NE(view.shown, nullptr);
        EXPECT_EQ(view.shown->size(), QSize(640, 480)) << "the picture keeps the frame's size";
    }
}

TEST_F(RendererTest, FlipsAndStretchesBeforeDrawing) {
    PendingRamp();
    renderer.HFLIP = true;
    renderer._BlackPoint = 100;
    renderer._WhitePoint = 101;
    renderer.UpdateCaption();
    // Mirrored: the bright end is on the left now, and thresholded to white.
    EXPECT_EQ(view.shown->pixel(0, 0), qRgb(255, 255, 255));
    EXPECT_EQ(view.shown->pixel(639, 0), qRgb(0, 0, 0));
}

TEST_F(RendererTest, ADeepFramesViewIsNotStretchedAgain) {
    PendingRamp();
    input.bitmap_stretched = true;
    renderer._BlackPoint = 100;
    renderer._WhitePoint = 101;
    renderer.UpdateCaption();
    EXPECT_EQ(view.shown->pixel(0, 0), qRgb(0, 0, 0));
    EXPECT_EQ(view.shown->pixel(320, 0), qRgb(127, 127, 127));
    EXPECT_EQ(input.black_point, 100) << "the points reach the input the view is made from";
    EXPECT_EQ(input.white_point, 101);
}

// The stamp goes on after the mirror (its box stays at the left) and before
// the stretch (its grey 90 is stretched with the picture).
TEST_F(RendererTest, StampsAfterTheMirrorAndBeforeTheStretch) {
    OverlayLook look;
    look.visible = true;
    look.font = DefaultOverlayFont();
    look.background = QColor(90, 90, 90);
    renderer.overlay = &look;
    renderer.HFLIP = true;
    struct Row {
        int32_t black, white;
        int box_grey;
    };
    for (const Row row : {Row{0, 255, 90}, Row{89, 91, 128}}) {
        PendingRamp();
        renderer._BlackPoint = row.black;
        renderer._WhitePoint = row.white;
        renderer.UpdateCaption();
        EXPECT_EQ(qGray(view.shown->pixel(11, 9)), row.box_grey) << row.black;
        EXPECT_EQ(qGray(view.shown->pixel(10, 8)), 0) << "outline";
        EXPECT_NE(qGray(view.shown->pixel(628, 9)), 90) << "nothing at the right edge";
    }
}

TEST_F(RendererTest, ColourModeDoesNotChangeTheDrawnSize) {
    input.working_bitmap.SetSize(1024, 767);
    input.preview_busy = PREVIEW_PENDING;
    renderer._SCALE = 50;
    renderer.UpdateCaption();
    EXPECT_EQ(view.width, 512);
    EXPECT_EQ(view.height, 383);
}

TEST_F(RendererTest, FeedsTheHistogramTheUntouchedSamplesWhileItIsOpen) {
    renderer.histogram_window = &histogram;
    struct Row {
        bool visible, color;
        int32_t bitmap_height, rows;
    };
    // A colour picture is the frame less one row; the histogram gets one more less.
    for (const Row row :
         {Row{true, false, 480, 480}, Row{true, true, 479, 478}, Row{false, false, 480, 0}}) {
        histogram = FakeHistogram();
        histogram.visible = row.visible;
        renderer.__color = row.color;
        PendingRamp(640, row.bitmap_height);
        renderer._BlackPoint = 100;  // the stretch must not reach the histogram's samples
        renderer.UpdateCaption();
        EXPECT_EQ(histogram.calls, row.visible ? 1 : 0);
        if (row.visible) {
            EXPECT_EQ(histogram.samples, input.analysis.samples.get());
            EXPECT_EQ(histogram.width, 640);
            EXPECT_EQ(histogram.rows, row.rows);
            EXPECT_EQ(histogram.color, row.color);
        }
    }
}

TEST_F(RendererTest, EveryFrameRedrawsTheLineWithItsProfileWhileTheWindowIsOpen) {
    renderer.measurement_window = &measurement;
    renderer.measurement_line.Press(QPoint(10, 100));
    renderer.measurement_line.Drag(QPoint(310, 100));
    PendingRamp();
    renderer.UpdateCaption();
    EXPECT_TRUE(view.line_shown);
    EXPECT_EQ(view.line, QLine(10, 100, 310, 100));
    EXPECT_EQ(measurement.distance, 300);
    EXPECT_EQ(measurement.profile.steps, 300);
    EXPECT_EQ(measurement.range.High(), measurement.profile.WantedHigh());

    // Closed: the line leaves the picture, and no profile or length is made.
    measurement.visible = false;
    const int profiles = measurement.profiles;
    PendingRamp();
    renderer.UpdateCaption();
    EXPECT_FALSE(view.line_shown);
    EXPECT_EQ(measurement.profiles, profiles);

    // Open without a line: an empty chart.
    measurement.visible = true;
    renderer.measurement_line.Release(false);
    PendingRamp();
    renderer.UpdateCaption();
    EXPECT_FALSE(view.line_shown);
    EXPECT_TRUE(measurement.profile.points.empty());
}

// A pixel with any channel at 255 turns pure red, nothing else changes, and
// the padding after an odd row stays as it was.
TEST(SaturationMark, OnlyPixelsWithAChannelAt255TurnRed) {
    const struct {
        uint8_t blue, green, red;
        bool marked;
    } cases[] = {
        {255, 255, 255, true}, {254, 254, 254, false}, {10, 255, 40, true},
        {255, 0, 0, true},     {0, 0, 0, false},       {200, 100, 254, false},
    };
    Bitmap24 bitmap(static_cast<int32_t>(std::size(cases)), 2);
    std::fill(bitmap.Bits(), bitmap.Bits() + bitmap.ByteCount(), uint8_t{77});
    for (int32_t x = 0; x < bitmap.Width(); ++x) {
        uint8_t *pixel = bitmap.Row(1) + 3 * x;
        pixel[0] = cases[x].blue;
        pixel[1] = cases[x].green;
        pixel[2] = cases[x].red;
    }
    MarkSaturated(bitmap);
    for (int32_t x = 0; x < bitmap.Width(); ++x) {
        const uint8_t *pixel = bitmap.Row(1) + 3 * x;
        const auto &row = cases[x];
        const std::array<uint8_t, 3> expected =
            row.marked ? std::array<uint8_t, 3>{0, 0, 255}
                       : std::array<uint8_t, 3>{row.blue, row.green, row.red};
        EXPECT_EQ((std::array<uint8_t, 3>{pixel[0], pixel[1], pixel[2]}), expected) << x;
    }
    for (int32_t i = 3 * bitmap.Width(); i < bitmap.Stride(); ++i) {
        EXPECT_EQ(bitmap.Row(1)[i], 77) << "padding";
    }
    EXPECT_EQ(bitmap.Row(0)[0], 77);
}

}  // namespace
