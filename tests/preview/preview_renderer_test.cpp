#include "preview/preview_renderer.h"

#include <gtest/gtest.h>

#include "preview/picture_conversion.h"

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
    const QImage *shown = nullptr;
    int32_t width = 0;
    int32_t height = 0;
    int calls = 0;
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

TEST_F(RendererTest, ColourModeDoesNotChangeTheDrawnSize) {
    input.working_bitmap.SetSize(1024, 767);
    input.preview_busy = PREVIEW_PENDING;
    renderer._SCALE = 50;
    renderer.UpdateCaption();
    EXPECT_EQ(view.width, 512);
    EXPECT_EQ(view.height, 383);
}

}  // namespace
